// libFuzzer target for the song reader (clang, VS_FUZZ=ON): the input is read once as a whole
// file image and once as bare event data (so that mutations reach the events
// without having to keep the chunk headers right).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/Song.h"
#include "model/SongReset.h"
#include "files/SongHost.h"
#include "files/SongReader.h"

namespace {

// Gives every sample a few frames and loop points, so the events that act
// on a loaded sample run too.
class FuzzLoader : public vs::ChannelFileLoader {
public:
  bool LoadFileIntoChannel(vs::TSong& song, int index, const std::string& name) override {
    if (vs::TChannel* c = song.Channel(index)) {
      c->Sample.SetFrames(std::vector<int16_t>(32, 1));
      c->Sample.SetLoop(2, 10);
      c->SampleFileName = name;
    }
    return true;
  }
  void RebuildSample(vs::TSong&, int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzLoader loader;
  vs::SongReadOptions options;
  options.Loader = &loader;
  {
    vs::TSongFileContent content;
    vs::ReadSongImage(data, size, content, options);
  }
  {
    vs::TSongFileContent content;
    content.Song = std::make_unique<vs::TSong>();
    vs::ResetSongModel(*content.Song);
    vs::ReadSongEvents(data, size, content, options);
  }
  return 0;
}
