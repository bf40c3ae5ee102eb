#pragma once
// A private PulseAudio server for one test: its own folder, socket, state
// and cookie, no autospawn, ended with the test. Its two sinks ("Card", the
// default, and "Side") play into pipes that the test empties at a sound
// card's pace (support/CardPipes.h), keeping what they played. (A null
// sink runs on the wall clock instead: whenever a loaded machine holds the
// server up for 50 to 100 ms it plays silence into its monitor, which
// would say nothing about the program.) The test process's clients find the
// server through the environment, which is put back at the end; no JACK
// server is seen meanwhile.

#include <fcntl.h>
#include <pulse/simple.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/CardPipes.h"
#include "support/TempDir.h"

namespace vs::testing {

// Sets environment variables for the life of the object and puts the old
// values back.
class TScopedEnvironment {
public:
  void Set(const std::string& name, const std::string& value) {
    if (!Old.count(name)) {
      const char* old = getenv(name.c_str());
      Old[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }
  ~TScopedEnvironment() {
    for (const auto& [name, value] : Old)
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
  }

private:
  std::map<std::string, std::optional<std::string>> Old;
};

class TPulseTestServer {
public:
  enum TSink { CardSink, SideSink };
  static constexpr const char* SinkNames[2] = {"vscard", "vsside"};

  TPulseTestServer() {
    Dir.Write("home/.keep", "");
    Dir.Write("client.conf", "autospawn = no\ncookie-file = " + Dir / "cookie" + "\n");
    Env.Set("PULSE_SERVER", "unix:" + Socket());
    Env.Set("PULSE_CLIENTCONFIG", Dir / "client.conf");
    Env.Set("PULSE_COOKIE", Dir / "cookie");
    Env.Set("PULSE_RUNTIME_PATH", Dir / "runtime");
    Env.Set("PULSE_STATE_PATH", Dir / "state");
    // No JACK server answers to this name: the program's default is
    // PulseAudio's.
    Env.Set("JACK_DEFAULT_SERVER", "vstest-none-" + std::to_string(getpid()));
    Env.Set("JACK_NO_START_SERVER", "1");
    Launch();
  }

  ~TPulseTestServer() {
    Card.reset();
    Stop(SIGTERM);
  }

  bool Running() const { return Up; }
  const std::string& WhyNot() const { return Why; }
  std::string Socket() const { return Dir / "native"; }
  // Ends the server at once, as a crash would.
  void Kill() { Stop(SIGKILL); }
  // What a sink has played so far.
  size_t Frames(TSink sink) { return Card->Frames(sink); }
  std::vector<int16_t> Played(TSink sink) { return Card->Played(sink); }

private:
  void Launch() {
    std::vector<std::string> args = {"pulseaudio", "-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1",
                                      "--disable-shm=yes", "--log-target=file:" + Dir / "server.log",
                                      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket()};
    for (const char* sink : SinkNames)
      args.push_back("--load=module-pipe-sink rate=44100 channels=2 format=s16le file=" + Dir / sink +
                     " sink_name=" + sink + " sink_properties=device.description=" +
                     (sink == SinkNames[CardSink] ? "Card" : "Side"));
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string home = Dir / "home";
    const pid_t parent = getpid();
    Pid = fork();
    if (Pid == 0) {
      // The server ends with the test, whatever ends the test; it keeps its
      // files under the test's folder (it may run as root here: it warns
      // and goes on).
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      setenv("HOME", home.c_str(), 1);
      setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
      setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
      unsetenv("DISPLAY");
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      execvp("pulseaudio", argv.data());
      _exit(127);
    }
    if (Pid < 0) {
      Why = "fork failed";
      return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(Pid, &status, WNOHANG) == Pid) {
        Pid = -1;
        Why = WIFEXITED(status) && WEXITSTATUS(status) == 127 ? "pulseaudio is not installed"
                                                              : "pulseaudio exited at start: " + Log();
        return;
      }
      // Up once both sinks take a recording from their monitors.
      if (CanRecord(SinkNames[CardSink]) && CanRecord(SinkNames[SideSink])) {
        Card = std::make_unique<TCardPipes>();
        if (!Card->AddPlayback(Dir / SinkNames[CardSink]) || !Card->AddPlayback(Dir / SinkNames[SideSink])) {
          Why = "the sinks' pipes could not be opened";
          Stop(SIGKILL);
          return;
        }
        Card->Start();
        Up = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Why = "pulseaudio did not answer: " + Log();
    Stop(SIGKILL);
  }

  static bool CanRecord(const std::string& sink) {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 2};
    pa_simple* s = pa_simple_new(nullptr, "vstest-probe", PA_STREAM_RECORD, (sink + ".monitor").c_str(), "probe",
                                 &spec, nullptr, nullptr, nullptr);
    if (s == nullptr) return false;
    pa_simple_free(s);
    return true;
  }

  std::string Log() const {
    std::ifstream in(Dir / "server.log");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.substr(0, 400);
  }

  void Stop(int sig) {
    Up = false;
    if (Pid <= 0) return;
    kill(Pid, sig);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
        Pid = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = -1;
  }

  TTestDir Dir;
  TScopedEnvironment Env;
  std::unique_ptr<TCardPipes> Card;
  std::string Why;
  pid_t Pid = -1;
  bool Up = false;
};

}  // namespace vs::testing
