// Tests of the file dates, times and owner of TvxFiles on real files.
#include "core/vxFilesDates.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <string>
#include <vector>

#include "core/vxToolsSystem.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileOwner.h"
#include "platform/files/vxFileSystem.h"
#include "platform/time/vxDateUtils.h"
#include "support/vxTestTempDir.h"
#include "support/vxTimeZoneGuard.h"

namespace {
using namespace vxRuntime;

// Sets a file's last-write time to a local date-time with utimensat
// (through the layer), so that ages need no waiting.
void SetWritten(const ustring& File, TDateTime Local) {
  ASSERT_TRUE(vxFileSystem::SetFileTimes(File, std::nullopt, vxFileSystem::LocalDateTimeToFileTime(Local)));
}

bool UserAttributesWork(const ustring& File) {
  if (vxFileSystem::SetCreationTime(File, {})) return true;
  return errno != ENOTSUP;
}

constexpr double OneMs = 1.0 / 86'400'000.0;

}  // namespace

TEST(FilesDates, DosPackingHalvesSecondsAndKeepsItsYears) {
  const TDateTime t = EncodeDateTime(2001, 2, 3, 4, 5, 7, 900);
  EXPECT_DOUBLE_EQ(vxFilesDates::DosDateTimeToDateTime(vxFilesDates::DateTimeToDosDateTime(t)),
                   EncodeDateTime(2001, 2, 3, 4, 5, 6, 0));
  EXPECT_EQ(vxFilesDates::DateTimeToDosDateTime(EncodeDate(1975, 1, 1)), 0u);
  EXPECT_EQ(vxFilesDates::DateTimeToDosDateTime(EncodeDate(2108, 1, 1)), 0u);
  EXPECT_NE(vxFilesDates::DateTimeToDosDateTime(EncodeDateTime(2107, 12, 31, 23, 59, 58, 0)), 0u);
  EXPECT_NE(vxFilesDates::DateTimeToDosDateTime(EncodeDate(1980, 1, 1)), 0u);
}

TEST(FilesDates, SetFileDateKeepsTwoSecondsAndRefuses1975) {
  TTimeZoneGuard zone("Europe/Berlin");
  TTestTempDir dir;
  const ustring f = dir.WideFile("a.txt");
  TTestTempDir::WriteBytes(dir.File("a.txt"), "x");
  ASSERT_TRUE(TvxFiles::SetFileDate(f, EncodeDateTime(2001, 2, 3, 4, 5, 7, 0)));
  EXPECT_DOUBLE_EQ(TvxFiles::GetFileDateTime(f), EncodeDateTime(2001, 2, 3, 4, 5, 6, 0));
  // The millisecond reader sees the same second: the file was set to :06.
  EXPECT_NEAR(TvxFiles::GetFileChangeDate(f), EncodeDateTime(2001, 2, 3, 4, 5, 6, 0), OneMs / 2);
  EXPECT_FALSE(TvxFiles::SetFileDate(f, EncodeDateTime(1975, 6, 1, 0, 0, 0, 0)));
  EXPECT_DOUBLE_EQ(TvxFiles::GetFileDateTime(f), EncodeDateTime(2001, 2, 3, 4, 5, 6, 0));
  EXPECT_FALSE(TvxFiles::SetFileDate(dir.WideFile("missing"), EncodeDate(2001, 1, 1)));
}

TEST(FilesDates, MillisecondRoundTripOfEveryStamp) {
  TTimeZoneGuard zone("America/New_York");
  TTestTempDir dir;
  const ustring f = dir.WideFile("b.txt");
  TTestTempDir::WriteBytes(dir.File("b.txt"), "x");
  const TDateTime t = EncodeDateTime(2001, 2, 3, 4, 5, 6, 789);
  ASSERT_TRUE(TvxFiles::SetFileLastWriteDate(f, t));
  EXPECT_NEAR(TvxFiles::GetFileChangeDate(f), t, OneMs / 2);
  ASSERT_TRUE(TvxFiles::SetFileLastAccessDate(f, t + 1));
  vxFileSystem::TSearchRec st;
  ASSERT_TRUE(vxFileSystem::GetFileStatus(f, st));
  EXPECT_NEAR(vxFileSystem::FileTimeToLocalDateTime(st.LastAccessTime), t + 1, OneMs / 2);

  if (!UserAttributesWork(f)) {
    EXPECT_FALSE(TvxFiles::SetFileCreationDate(f, t));
    GTEST_SKIP() << "no user attributes on this file system";
  }
  ASSERT_TRUE(TvxFiles::SetFileCreationDate(f, t));
  EXPECT_NEAR(TvxFiles::GetCreationTimeOfFile(f), t, OneMs / 2);
  EXPECT_NEAR(TvxFiles::GetFileCreationDate(f), t, OneMs / 2);
  // Wildcards find the first match.
  EXPECT_NEAR(TvxFiles::GetFileCreationDate(dir.WideFile("b.*")), t, OneMs / 2);
}

// Far from 1970 and with the seconds of old UTC offsets, every setter and
// getter agree to the millisecond; a date the file system cannot hold is
// refused (False) and leaves the file's date as it was.
TEST(FilesDates, FarDatesAndOldOffsetsRoundTrip) {
  struct Case {
    const char* Zone;
    int Year, Month, Day;
  } cases[] = {{"Europe/Berlin", 1880, 5, 6}, {"America/St_Johns", 1930, 11, 2}, {"UTC", 1601, 1, 2},
               {"UTC", 2300, 7, 1},           {"Europe/Berlin", 2001, 2, 3}};
  // This folder's file system (ext4 holds 1901 to 2446) and tmpfs, which
  // holds every date.
  TTestTempDir dir;
  std::vector<std::string> files{dir.File("far.txt")};
  const std::string shm = "/dev/shm/vxtest-far-" + std::to_string(getpid());
  if (mkdir(shm.c_str(), 0700) == 0) files.push_back(shm + "/far.txt");
  for (const std::string& file : files) {
    TTestTempDir::WriteBytes(file, "x");
    const ustring f = Utf8ToWide(file);
    const bool attributes = UserAttributesWork(f);
    for (const Case& c : cases) {
      TTimeZoneGuard zone(c.Zone);
      const TDateTime t = EncodeDateTime(c.Year, c.Month, c.Day, 7, 8, 9, 123);
      const TDateTime before = EncodeDateTime(2001, 2, 3, 4, 5, 6, 0);
      ASSERT_TRUE(TvxFiles::SetFileLastWriteDate(f, before));
      // Whether this file system keeps the year at all, asked of it directly.
      const vxFileSystem::TFileTime asked = vxFileSystem::LocalDateTimeToFileTime(t);
      const struct timespec probe[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(asked.Seconds), 0}};
      struct stat st {};
      const bool holds = utimensat(AT_FDCWD, file.c_str(), probe, 0) == 0 && stat(file.c_str(), &st) == 0 &&
                         st.st_mtim.tv_sec == asked.Seconds;
      ASSERT_TRUE(TvxFiles::SetFileLastWriteDate(f, before));
      EXPECT_EQ(TvxFiles::SetFileLastWriteDate(f, t), holds) << file << " " << c.Zone << " " << c.Year;
      EXPECT_NEAR(TvxFiles::GetFileChangeDate(f), holds ? t : before, OneMs / 2) << file << " " << c.Year;
      if (!attributes) continue;
      ASSERT_TRUE(TvxFiles::SetFileCreationDate(f, t)) << file << " " << c.Zone << " " << c.Year;
      EXPECT_NEAR(TvxFiles::GetCreationTimeOfFile(f), t, OneMs / 2) << file << " " << c.Year;
      EXPECT_NEAR(TvxFiles::GetFileCreationDate(f), t, OneMs / 2) << file << " " << c.Year;
    }
    unlink(file.c_str());
  }
  rmdir(shm.c_str());
}

// The creation time's attribute text: the decimal count of nanoseconds,
// of any size, as earlier versions wrote it within 1677 to 2262.
TEST(FilesDates, CreationTimeTextIsACountOfNanoseconds) {
  using vxFileSystem::TFileTime;
  struct Case {
    TFileTime Time;
    const char* Text;
  } cases[] = {{{0, 0}, "0"},
               {{1, 5}, "1000000005"},
               {{981'173'106, 789'000'000}, "981173106789000000"},
               {{-1, 0}, "-1000000000"},
               {{-1, 500'000'000}, "-500000000"},
               {{-2, 999'999'999}, "-1000000001"},
               {{-11'644'387'200, 0}, "-11644387200000000000"},
               {{10'413'792'000, 1}, "10413792000000000001"}};
  for (const Case& c : cases) {
    EXPECT_EQ(vxFileSystem::FileTimeToNanosecondText(c.Time), c.Text);
    TFileTime back{7, 7};
    ASSERT_TRUE(vxFileSystem::NanosecondTextToFileTime(c.Text, back)) << c.Text;
    EXPECT_EQ(back, c.Time) << c.Text;
  }
  TFileTime unused;
  for (const char* bad : {"", "-", "1a", " 1", "+1", "1-", "99999999999999999999999999999"})
    EXPECT_FALSE(vxFileSystem::NanosecondTextToFileTime(bad, unused)) << bad;
}

TEST(FilesDates, CreationTimeWithoutRecordComesFromTheFileSystem) {
  TTestTempDir dir;
  const ustring f = dir.WideFile("c.txt");
  TTestTempDir::WriteBytes(dir.File("c.txt"), "x");
  vxFileSystem::TSearchRec st;
  ASSERT_TRUE(vxFileSystem::GetFileStatus(f, st));
  EXPECT_NEAR(TvxFiles::GetCreationTimeOfFile(f), vxFileSystem::FileTimeToLocalDateTime(st.CreationTime), OneMs);
}

TEST(FilesDates, MissingFilesRaiseOrGiveZero) {
  TTestTempDir dir;
  const ustring m = dir.WideFile("missing.txt");
  for (auto get : {&TvxFiles::GetFileCreationDate, &TvxFiles::GetFileChangeDate}) {
    try {
      get(m);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"FileTime Convert Error");
    }
  }
  EXPECT_EQ(TvxFiles::GetCreationTimeOfFile(m), 0);
  EXPECT_EQ(TvxFiles::GetFileDateTime(m), 0);
  EXPECT_EQ(TvxFiles::GetFileAgeInMinutes(m), 0);
  EXPECT_FALSE(TvxFiles::SetFileLastWriteDate(m, EncodeDate(2001, 1, 1)));
  EXPECT_FALSE(TvxFiles::TouchFile(m));
  ustring domain = u"d", user = u"u";
  EXPECT_FALSE(TvxFiles::GetFileOwner(m, domain, user));
  EXPECT_EQ(domain, u"d");
  EXPECT_EQ(user, u"u");
}

TEST(FilesDates, AgeInMinutesRoundsHalvesToEven) {
  TTestTempDir dir;
  const ustring f = dir.WideFile("age.txt");
  TTestTempDir::WriteBytes(dir.File("age.txt"), "x");
  const TDateTime written = EncodeDateTime(2020, 5, 5, 10, 0, 0, 0);
  SetWritten(f, written);
  struct Case {
    int Seconds;
    int64_t Minutes;
  } cases[] = {{90, 2}, {20, 0}, {30, 0}, {150, 2}, {210, 4}, {31, 1}, {-90, -2}, {3600, 60}};
  for (const auto& c : cases)
    EXPECT_EQ(vxFilesDates::FileAgeInMinutesAt(f, written + c.Seconds / 86400.0), c.Minutes) << c.Seconds;
  // A folder has no age.
  EXPECT_EQ(vxFilesDates::FileAgeInMinutesAt(Utf8ToWide(dir.Path().string()), written + 1), 0);
  // With the real clock: a file written a day ago is about 1440 minutes old.
  SetWritten(f, Now() - 1);
  EXPECT_NEAR(static_cast<double>(TvxFiles::GetFileAgeInMinutes(f)), 1440.0, 1.0);
}

TEST(FilesDates, TouchFileSetsNowOnFilesAndFolders) {
  TTestTempDir dir;
  const ustring f = dir.WideFile("t.txt");
  TTestTempDir::WriteBytes(dir.File("t.txt"), "x");
  const ustring folder = Utf8ToWide(dir.File("sub"));
  ASSERT_TRUE(vxFileSystem::CreateDir(folder));
  for (const ustring& p : {f, folder}) {
    SetWritten(p, EncodeDate(2000, 1, 1));
    ASSERT_TRUE(TvxFiles::TouchFile(p));
    EXPECT_NEAR(TvxFiles::GetFileDateTime(p), Now(), 5.0 / 86400);
  }
  // A read-only file cannot be opened for writing.
  ASSERT_EQ(chmod(dir.File("t.txt").c_str(), 0444), 0);
  if (geteuid() != 0) {
    EXPECT_FALSE(TvxFiles::TouchFile(f));
    EXPECT_FALSE(TvxFiles::SetFileDate(f, EncodeDate(2001, 1, 1)));
  }
}

TEST(FilesDates, OwnerIsTheCurrentUserOnThisComputer) {
  TTestTempDir dir;
  const ustring f = dir.WideFile("o.txt");
  TTestTempDir::WriteBytes(dir.File("o.txt"), "x");
  ustring domain, user;
  ASSERT_TRUE(TvxFiles::GetFileOwner(f, domain, user));
  EXPECT_EQ(domain, TvxTools::GetComputerName());
  EXPECT_FALSE(user.empty());
  ustring expected;
  ASSERT_TRUE(vxFileSystem::GetFileOwnerName(f, expected));
  EXPECT_EQ(user, expected);
}

// A numeric owner id without an account entry names no account: False,
// the out values as they were.
TEST(FilesDates, OwnerWithoutAccountEntryGivesFalse) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
  constexpr uid_t kNoAccount = 54'321;
  ASSERT_EQ(getpwuid(kNoAccount), nullptr) << "the test's owner id has an account here";
  TTestTempDir dir;
  const ustring f = dir.WideFile("o.txt");
  TTestTempDir::WriteBytes(dir.File("o.txt"), "x");
  ASSERT_EQ(chown(dir.File("o.txt").c_str(), kNoAccount, kNoAccount), 0);
  ustring domain = u"d", user = u"u";
  EXPECT_FALSE(TvxFiles::GetFileOwner(f, domain, user));
  EXPECT_EQ(domain, u"d");
  EXPECT_EQ(user, u"u");
}
