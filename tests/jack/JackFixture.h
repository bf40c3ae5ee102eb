#pragma once
// A private JACK server for one test (dummy backend, 44100 Hz, 256-frame
// cycles, a name of its own so that tests never meet another server), and a
// JACK client "vstest" that plays the other side: two audio inputs that
// record what is played into them, MIDI inputs that keep every event with
// its frame time, and a MIDI output that sends events at given frame times.

#include <fcntl.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vs::testing {

class TJackTestServer {
public:
  TJackTestServer() : Before{Saved("JACK_DEFAULT_SERVER"), Saved("JACK_NO_START_SERVER")} {
    // The library's complaints while the server comes up stay off the log.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    // JACK keeps a small table of the servers of a user and frees the entry
    // of a server that died only when a server of the same name starts: the
    // tests take the first free name of a few of their own, so that one
    // killed by a test (or running for another test run) costs nothing.
    // A lock file tells test runs that share the machine which names are
    // taken.
    for (int n = 0; n < 8 && !Up; ++n) {
      Name = "vstest-" + std::to_string(n);
      const std::string lock = "/tmp/" + Name + ".lock";
      NameLock = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      if (NameLock >= 0 && flock(NameLock, LOCK_EX | LOCK_NB) == 0) {
        // Real-time scheduling as a musician's server has, so that a busy
        // machine does not hold its cycles back; without the right to it,
        // an ordinary server.
        Launch(true);
        if (!Up && Why == "jackd exited at start") Launch(false);
      }
      if (!Up && NameLock >= 0) {
        close(NameLock);
        NameLock = -1;
      }
      if (Why == "jackd is not installed") break;
    }
    if (!Up && Why.empty()) Why = "every test server name is taken";
  }
  ~TJackTestServer() {
    Stop(SIGTERM);
    if (NameLock >= 0) close(NameLock);
    // The name goes back to the test runs that share the machine: the
    // process's later clients must not find the server another run starts
    // under it.
    Restore("JACK_DEFAULT_SERVER", Before[0]);
    Restore("JACK_NO_START_SERVER", Before[1]);
  }

  bool Running() const { return Up; }
  const std::string& WhyNot() const { return Why; }
  // Ends the server at once, as a crash would.
  void Kill() { Stop(SIGKILL); }
  // Stops the server giving cycles (it hangs), and lets it go on again.
  void Pause() { kill(Pid, SIGSTOP); }
  void Resume() { kill(Pid, SIGCONT); }

private:
  static std::optional<std::string> Saved(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void Restore(const char* name, const std::optional<std::string>& value) {
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }

  void Launch(bool realtime) {
    Why.clear();
    // The program's clients (and the server itself, which keeps its data
    // under this name) find the server by it.
    setenv("JACK_DEFAULT_SERVER", Name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    // A real-time server gives a client 500 ms a cycle before it drops it:
    // the tests' clients, slowed by the sanitizers or a busy machine, get the
    // 5 s an ordinary server gives.
    const std::string args[] = {"jackd", realtime ? "--realtime" : "--no-realtime", "-t", "5000", "-n", Name, "-d",
                                "dummy", "-r", "44100", "-p", "256"};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    Pid = fork();
    if (Pid == 0) {
      // The server ends with the test, whatever ends the test.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      execvp("jackd", argv.data());
      _exit(127);
    }
    if (Pid < 0) {
      Why = "fork failed";
      return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(Pid, &status, WNOHANG) == Pid) {
        Pid = -1;
        Why = WIFEXITED(status) && WEXITSTATUS(status) == 127 ? "jackd is not installed"
                                                              : "jackd exited at start";
        return;
      }
      jack_status_t s{};
      if (jack_client_t* probe = jack_client_open("vstest-probe", JackNoStartServer, &s)) {
        jack_client_close(probe);
        // A server of that name that was not ours makes ours give up at
        // once: it must still run a moment later.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Up = waitpid(Pid, nullptr, WNOHANG) == 0;
        if (!Up) {
          Pid = -1;
          Why = "a server of that name runs already";
        }
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Why = "jackd did not answer";
    Stop(SIGKILL);
  }

  void Stop(int sig) {
    if (Pid <= 0) return;
    kill(Pid, SIGCONT);
    kill(Pid, sig);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
        Pid = -1;
        Up = false;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = -1;
    Up = false;
  }

  std::optional<std::string> Before[2];
  std::string Name;
  std::string Why;
  pid_t Pid = -1;
  int NameLock = -1;
  bool Up = false;
};

struct TTimedMidi {
  uint64_t Frame = 0;  // the server's frame time
  std::vector<uint8_t> Bytes;
};

class TJackTestClient {
public:
  static constexpr int MidiInputs = 2;

  TJackTestClient() {
    jack_status_t status{};
    Client = jack_client_open("vstest", jack_options_t(JackNoStartServer | JackUseExactName), &status);
    if (Client == nullptr) return;
    In[0] = jack_port_register(Client, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    In[1] = jack_port_register(Client, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    MidiIn[0] = jack_port_register(Client, "sync_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    MidiIn[1] = jack_port_register(Client, "notes_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    MidiOut = jack_port_register(Client, "clock_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    Recording.resize(size_t(44100) * 2 * 8);
    jack_set_process_callback(Client, &TJackTestClient::Process, this);
    jack_set_xrun_callback(
        Client,
        [](void* self) {
          ++static_cast<TJackTestClient*>(self)->XrunCount;
          return 0;
        },
        this);
    jack_on_shutdown(Client, [](void*) {}, nullptr);
    Active = jack_activate(Client) == 0;
  }
  ~TJackTestClient() {
    if (Client != nullptr) jack_client_close(Client);
  }
  bool Ok() const { return Client != nullptr && Active; }

  // Recording starts with the next cycle; Recorded() gives the interleaved
  // 16-bit frames so far.
  void StartRecording() {
    Recorded.store(0);
    Record.store(true);
  }
  std::vector<int16_t> RecordedFrames() {
    Record.store(false);
    const size_t n = Recorded.load();
    return std::vector<int16_t>(Recording.begin(), Recording.begin() + long(n) * 2);
  }
  size_t RecordedCount() const { return Recorded.load(); }

  std::vector<TTimedMidi> Received(int input) {
    std::lock_guard<std::mutex> hold(Lock);
    return Got[input];
  }
  // Sends bytes at a frame time (at once when it has passed).
  void Send(std::vector<uint8_t> bytes, uint64_t frame) {
    std::lock_guard<std::mutex> hold(Lock);
    Outgoing.push_back({frame, std::move(bytes)});
  }
  uint64_t Now() const { return jack_frame_time(Client); }
  // Cycles the server could not finish in time (a machine too busy).
  int Xruns() const { return XrunCount.load(); }

private:
  static int16_t ToInt16(float v) {
    return int16_t(std::clamp<long>(std::lrint(double(v) * 32768.0), -32768, 32767));
  }

  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<TJackTestClient*>(arg);
    const uint64_t start = jack_last_frame_time(self->Client);
    if (self->Record.load()) {
      const auto* l = static_cast<const float*>(jack_port_get_buffer(self->In[0], frames));
      const auto* r = static_cast<const float*>(jack_port_get_buffer(self->In[1], frames));
      size_t at = self->Recorded.load();
      for (jack_nframes_t i = 0; i < frames && at < self->Recording.size() / 2; ++i, ++at) {
        self->Recording[2 * at] = ToInt16(l[i]);
        self->Recording[2 * at + 1] = ToInt16(r[i]);
      }
      self->Recorded.store(at);
    }
    void* out = jack_port_get_buffer(self->MidiOut, frames);
    jack_midi_clear_buffer(out);
    // The test thread holds the lock only briefly; a busy cycle waits for
    // the next one.
    std::unique_lock<std::mutex> hold(self->Lock, std::try_to_lock);
    if (!hold.owns_lock()) return 0;
    for (int p = 0; p < MidiInputs; ++p) {
      void* in = jack_port_get_buffer(self->MidiIn[p], frames);
      const jack_nframes_t count = jack_midi_get_event_count(in);
      for (jack_nframes_t e = 0; e < count; ++e) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, e) == 0)
          self->Got[p].push_back({start + event.time, std::vector<uint8_t>(event.buffer, event.buffer + event.size)});
      }
    }
    auto& q = self->Outgoing;
    std::stable_sort(q.begin(), q.end(), [](const TTimedMidi& a, const TTimedMidi& b) { return a.Frame < b.Frame; });
    size_t sent = 0;
    jack_nframes_t last = 0;
    for (; sent < q.size() && q[sent].Frame < start + frames; ++sent) {
      const jack_nframes_t at = std::max<jack_nframes_t>(
          last, q[sent].Frame > start ? jack_nframes_t(q[sent].Frame - start) : 0);
      jack_midi_event_write(out, at, q[sent].Bytes.data(), q[sent].Bytes.size());
      last = at;
    }
    q.erase(q.begin(), q.begin() + long(sent));
    return 0;
  }

  jack_client_t* Client = nullptr;
  bool Active = false;
  jack_port_t* In[2] = {};
  jack_port_t* MidiIn[MidiInputs] = {};
  jack_port_t* MidiOut = nullptr;
  std::vector<int16_t> Recording;
  std::atomic<bool> Record{false};
  std::atomic<size_t> Recorded{0};
  std::atomic<int> XrunCount{0};
  std::mutex Lock;
  std::vector<TTimedMidi> Got[MidiInputs];
  std::vector<TTimedMidi> Outgoing;
};

}  // namespace vs::testing
