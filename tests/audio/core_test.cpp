// Versions, options, the output side and the error codes they report.
#include "virtual_fixture.h"

using namespace zaudio;

TEST_F(VirtualLibrary, VersionsCarryTheMajorWordCallersCheck) {
  EXPECT_EQ(GetVersion() >> 16, VERSION_MAJOR_WORD);
  EXPECT_EQ(FX_GetVersion() >> 16, VERSION_MAJOR_WORD);
  OverrideVersionsForTesting(0x02030000, 0x02050000);
  EXPECT_EQ(GetVersion(), 0x02030000u);
  EXPECT_EQ(FX_GetVersion(), 0x02050000u);
}

TEST_F(VirtualLibrary, OutputSideNeedsInitAndReportsTheDefaultOutput) {
  Info info;
  EXPECT_FALSE(GetInfo(&info));
  EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
  EXPECT_FALSE(SetVolume(0.5f));
  EXPECT_EQ(ErrorGetCode(), ERROR_INIT);

  ASSERT_TRUE(Init(-1, 44100, 0));
  EXPECT_FALSE(Init(-1, 44100, 0));
  EXPECT_EQ(ErrorGetCode(), ERROR_ALREADY);
  ASSERT_TRUE(GetInfo(&info));
  EXPECT_EQ(info.freq, 48000u);
  EXPECT_EQ(info.speakers, 2u);

  DeviceInfo dev;
  ASSERT_TRUE(GetDeviceInfo(0, &dev));
  EXPECT_EQ(dev.name, "Speakers");
  EXPECT_EQ(dev.flags, DEVICE_ENABLED | DEVICE_DEFAULT);
  EXPECT_FALSE(GetDeviceInfo(1, &dev));
  EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);

  EXPECT_TRUE(SetVolume(0.3f));
  EXPECT_FLOAT_EQ(GetVolume(), 0.3f);
  EXPECT_FALSE(SetVolume(1.5f));
  EXPECT_EQ(ErrorGetCode(), ERROR_ILLPARAM);

  EXPECT_TRUE(Free());
  EXPECT_FALSE(Free());
  EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
}

TEST_F(VirtualLibrary, InitFailsWithoutAnOutputDevice) {
  backend->setFailOutputInit(true);
  EXPECT_FALSE(Init(-1, 44100, 0));
  EXPECT_EQ(ErrorGetCode(), ERROR_DEVICE);
}

TEST_F(VirtualLibrary, UnknownOptionIsRefused) {
  EXPECT_FALSE(SetConfig(99, 1));
  EXPECT_EQ(ErrorGetCode(), ERROR_ILLTYPE);
  EXPECT_EQ(GetConfig(CONFIG_REC_LOOPBACK), 1u);
}
