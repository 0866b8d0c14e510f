// Capture devices, their flags and their inputs.
#include "virtual_fixture.h"

using namespace zaudio;

namespace {
std::vector<DeviceInfo> ListAll() {
  std::vector<DeviceInfo> out;
  DeviceInfo d;
  for (DWORD i = 0; RecordGetDeviceInfo(i, &d); ++i) out.push_back(d);
  return out;
}
}  // namespace

TEST_F(VirtualLibrary, LoopbackDevicesAreListedOnlyWhenTheOptionIsOn) {
  auto all = ListAll();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);  // the end of the list
  EXPECT_EQ(all[0].name, "Stereo Mix");
  EXPECT_EQ(all[0].flags, DEVICE_ENABLED | DEVICE_LOOPBACK);
  EXPECT_EQ(all[1].flags, DEVICE_ENABLED | DEVICE_DEFAULT);
  EXPECT_EQ(all[2].flags, DEVICE_ENABLED);

  SetConfig(CONFIG_REC_LOOPBACK, 0);
  all = ListAll();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].name, "Microphone");
}

TEST_F(VirtualLibrary, OpeningADeviceGivesItsRateAndInputs) {
  RecordInfo info;
  EXPECT_FALSE(RecordGetInfo(&info));
  EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
  EXPECT_EQ(RecordGetInputName(0), nullptr);

  ASSERT_TRUE(RecordInit(2));
  EXPECT_FALSE(RecordInit(1));
  EXPECT_EQ(ErrorGetCode(), ERROR_ALREADY);
  ASSERT_TRUE(RecordGetInfo(&info));
  EXPECT_EQ(info.freq, 96000u);
  DeviceInfo d;
  ASSERT_TRUE(RecordGetDeviceInfo(2, &d));
  EXPECT_TRUE(d.flags & DEVICE_INIT);

  ASSERT_TRUE(RecordFree());
  EXPECT_FALSE(RecordInit(7));
  EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);
  ASSERT_TRUE(RecordInit(-1));  // the default device
  ASSERT_TRUE(RecordGetInfo(&info));
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.inputs, 3u);
}

TEST_F(VirtualLibrary, InputsReportNameTypeStateAndVolume) {
  ASSERT_TRUE(RecordInit(1));
  struct Row {
    const char* name;
    DWORD flags;
    float volume;
  } rows[] = {{"Mic", INPUT_TYPE_MIC, 0.25f},
              {"Line", INPUT_TYPE_LINE | INPUT_OFF, 0.5f},
              {"CD", INPUT_TYPE_CD, 0.75f}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(RecordGetInputName(i), nullptr);
    EXPECT_STREQ(RecordGetInputName(i), rows[i].name);
    float v = -1;
    EXPECT_EQ(RecordGetInput(i, &v), rows[i].flags);
    EXPECT_FLOAT_EQ(v, rows[i].volume);
  }
  EXPECT_EQ(RecordGetInputName(3), nullptr);
  EXPECT_EQ(RecordGetInput(3, nullptr), 0xFFFFFFFFu);
}

TEST_F(VirtualLibrary, SetInputSwitchesAndLevelsInputs) {
  ASSERT_TRUE(RecordInit(1));
  EXPECT_TRUE(RecordSetInput(0, INPUT_OFF, -1));
  EXPECT_TRUE(RecordSetInput(1, INPUT_ON, -1));
  EXPECT_TRUE(RecordSetInput(2, 0, 0.1f));
  EXPECT_FALSE(RecordSetInput(3, INPUT_OFF, -1));
  EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);
  EXPECT_FALSE(RecordSetInput(0, INPUT_ON | INPUT_OFF, -1));

  float v = 0;
  EXPECT_EQ(RecordGetInput(0, &v) & INPUT_OFF, INPUT_OFF);
  EXPECT_FLOAT_EQ(v, 0.25f);  // -1 left the level alone
  EXPECT_EQ(RecordGetInput(1, &v) & INPUT_OFF, 0u);
  RecordGetInput(2, &v);
  EXPECT_FLOAT_EQ(v, 0.1f);
  EXPECT_EQ(RecordGetInput(2, nullptr) & INPUT_OFF, 0u);  // 0 flags kept it on
}
