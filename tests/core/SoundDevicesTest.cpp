// The sound device list and the choice of a device, over the manual audio
// backend.

#include <gtest/gtest.h>

#include "core/SoundDevices.h"
#include "engine/MixThread.h"
#include "platform/ManualAudioOutput.h"

namespace vs {
namespace {

TEST(SoundDevicesTest, TheListEndsInNoneAndTheStoredChoiceIsClamped) {
  TPreferences prefs;
  TSoundDeviceList list = ListSoundDevices({}, prefs);
  EXPECT_EQ(list.Items, (std::vector<std::string>{"(none)"}));
  EXPECT_EQ(list.ItemIndex, 0);
  prefs.DSDriver = 3;  // no device: a stored 3 selects "(none)"
  EXPECT_EQ(ListSoundDevices({}, prefs).ItemIndex, 0);

  const std::vector<std::string> names{"Card A", "Card B"};
  prefs.DSDriver.reset();
  EXPECT_EQ(ListSoundDevices(names, prefs).ItemIndex, 2);  // nothing stored
  prefs.DSDriver = 1;
  EXPECT_EQ(ListSoundDevices(names, prefs).ItemIndex, 1);
  prefs.DSDriver = -4;
  EXPECT_EQ(ListSoundDevices(names, prefs).ItemIndex, 0);
  prefs.DSDriverName = "Card A";  // the name wins over the index
  prefs.DSDriver = 1;
  EXPECT_EQ(ListSoundDevices(names, prefs).ItemIndex, 0);
  prefs.DSDriverName = "Gone";
  EXPECT_EQ(ListSoundDevices(names, prefs).ItemIndex, 1);
}

class SoundDeviceApplyTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto backend = std::make_unique<TManualAudioBackend>();
    backend->Names = {"Card A", "Card B"};
    Backend = backend.get();
    SetAudioBackend(std::move(backend));
    AudioOutput().UseWAV = true;
    AudioOutput().SoundDeviceName.clear();
  }
  void TearDown() override {
    CloseAudioOutput();
    AudioOutput().SoundDeviceName.clear();
  }
  TManualAudioBackend* Backend = nullptr;
  TPreferences Prefs;
};

TEST_F(SoundDeviceApplyTest, ChoosingADeviceReopensTheOutputOnIt) {
  TSoundDeviceList list = ListSoundDevices(Prefs);
  ASSERT_EQ(list.Items.size(), 3u);
  EXPECT_TRUE(ApplySoundDevice(list, 1, Prefs));
  EXPECT_TRUE(AudioOutput().OutputOpen.load());
  EXPECT_EQ(Backend->LastOpenedName, "Card B");
  EXPECT_EQ(Prefs.DSDriver, 1);
  EXPECT_EQ(Prefs.DSDriverName, "Card B");

  // "(none)" leaves the output as it is but is the stored choice, so that
  // the earlier device does not come back; outside the list: nothing.
  const int opens = Backend->OpenCount;
  EXPECT_TRUE(ApplySoundDevice(list, 2, Prefs));
  EXPECT_TRUE(AudioOutput().OutputOpen.load());
  EXPECT_EQ(Prefs.DSDriver, 2);
  EXPECT_EQ(Prefs.DSDriverName, "(none)");
  EXPECT_TRUE(ApplySoundDevice(list, 7, Prefs));
  EXPECT_EQ(Backend->OpenCount, opens);
  EXPECT_EQ(Prefs.DSDriverName, "(none)");
  Prefs.DSDriver = 0;  // a name found wins over the index
  EXPECT_EQ(ListSoundDevices(Prefs).ItemIndex, 2);
}

TEST_F(SoundDeviceApplyTest, ADeviceThatFailsIsReportedEvenWhenTheDefaultTakesOver) {
  Backend->FailNames = {"Card A"};
  TSoundDeviceList list = ListSoundDevices(Prefs);
  TCommandResult result = ApplySoundDevice(list, 0, Prefs);
  EXPECT_FALSE(result);
  EXPECT_TRUE(AudioOutput().OutputOpen.load());  // on the default device
  EXPECT_NE(result.Message.find("Card A"), std::string::npos);

  Backend->FailDefault = true;
  result = ApplySoundDevice(list, 0, Prefs);
  EXPECT_FALSE(result);
  EXPECT_FALSE(AudioOutput().OutputOpen.load());
  EXPECT_FALSE(result.Message.empty());
}

}  // namespace
}  // namespace vs
