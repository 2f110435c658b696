// Static checks of the Windows builds as shipped: each tavolin.exe and tavolin.scr
// of the 32- and 64-bit builds is a GUI program for its machine that imports only
// system DLLs, names itself in string 1, carries one DPI-aware manifest and its
// version, has no link time stamp, and stays within its size budget.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "pe_file.h"

namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kSubsystemWindowsGui = 2;
constexpr std::uint32_t kManifestType = 24;
constexpr std::uint32_t kVersionType = 16;

struct Build {
    const char* label;
    const char* folder;
    const char* file;
    std::uint16_t machine;
    bool pe32Plus;
    // Measured at 230,400 bytes (x86) and 166,912 (x64), most of it the standard
    // library's error reporting and, on x86, its table-driven unwinder, which the
    // containers bring with them; the budgets leave a little room above that.
    std::size_t sizeBudget;
};

std::ostream& operator<<(std::ostream& out, const Build& build) {
    return out << build.folder << "/" << build.file;
}

const Build kBuilds[] = {
    {"x86_exe", "windows-x86", "tavolin.exe", kMachineI386, false, 245 * 1024},
    {"x86_scr", "windows-x86", "tavolin.scr", kMachineI386, false, 245 * 1024},
    {"x64_exe", "windows-x64", "tavolin.exe", kMachineAmd64, true, 180 * 1024},
    {"x64_scr", "windows-x64", "tavolin.scr", kMachineAmd64, true, 180 * 1024},
};

std::string pathOf(const Build& build) {
    return std::string(TAVOLIN_BUILD_ROOT) + "/" + build.folder + "/" + build.file;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

class PackageTest : public ::testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        ASSERT_TRUE(file.valid()) << pathOf(GetParam())
                                  << " is missing or no PE file: build the Windows presets first";
    }

    pe::File file{pathOf(GetParam())};
};

TEST_P(PackageTest, IsAGuiProgramForItsMachine) {
    EXPECT_EQ(file.machine(), GetParam().machine);
    EXPECT_EQ(file.isPe32Plus(), GetParam().pe32Plus);
    EXPECT_EQ(file.subsystem(), kSubsystemWindowsGui);
}

TEST_P(PackageTest, ImportsOnlySystemDlls) {
    std::vector<std::string> dlls;
    for (const std::string& dll : file.importedDlls()) {
        dlls.push_back(upper(dll));
    }
    EXPECT_THAT(dlls, UnorderedElementsAre("KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL"));
}

TEST_P(PackageTest, HasNoLinkTimeStamp) {
    EXPECT_EQ(file.timeDateStamp(), 0u);
}

TEST_P(PackageTest, NamesItselfInStringOne) {
    EXPECT_EQ(pe::stringResource(file.resources(), 1), std::optional<std::string>("Tavolin Brightwork Associates"));
}

TEST_P(PackageTest, CarriesOneDpiAwareManifest) {
    std::vector<pe::Resource> manifests;
    for (const pe::Resource& resource : file.resources()) {
        if (resource.type == kManifestType) {
            manifests.push_back(resource);
        }
    }
    ASSERT_EQ(manifests.size(), 1u);
    EXPECT_EQ(manifests[0].id, 1u);
    EXPECT_THAT(manifests[0].bytes, HasSubstr(">true/pm</dpiAware>"));
    EXPECT_THAT(manifests[0].bytes, HasSubstr(">PerMonitorV2, PerMonitor</dpiAwareness>"));
    EXPECT_THAT(manifests[0].bytes, HasSubstr("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));
}

TEST_P(PackageTest, CarriesTheProjectVersion) {
    std::optional<pe::VersionInfo> version;
    for (const pe::Resource& resource : file.resources()) {
        if (resource.type == kVersionType) {
            version = pe::versionInfo(resource.bytes);
        }
    }
    ASSERT_TRUE(version);
    const std::uint16_t expected[4] = {TAVOLIN_VERSION_MAJOR, TAVOLIN_VERSION_MINOR, TAVOLIN_VERSION_PATCH, 0};
    EXPECT_THAT(version->fileVersion, ::testing::ElementsAreArray(expected));
    EXPECT_THAT(version->productVersion, ::testing::ElementsAreArray(expected));
    EXPECT_EQ(version->value("CompanyName"), std::optional<std::string>("Tavolin Brightwork Associates"));
    EXPECT_EQ(version->value("FileVersion"), std::optional<std::string>(TAVOLIN_VERSION));
    EXPECT_EQ(version->value("ProductVersion"), std::optional<std::string>(TAVOLIN_VERSION));
    EXPECT_THAT(version->value("FileDescription").value_or(""), HasSubstr("screen saver"));
    EXPECT_THAT(version->value("ProductName").value_or(""), HasSubstr("Tavolin"));
}

TEST_P(PackageTest, StaysWithinItsSizeBudget) {
    EXPECT_LE(file.bytes().size(), GetParam().sizeBudget);
}

INSTANTIATE_TEST_SUITE_P(Builds, PackageTest, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.label); });

// The screen saver file is the program under the name Windows expects.
TEST(ScreenSaverFile, IsTheProgramItself) {
    for (const char* folder : {"windows-x86", "windows-x64"}) {
        const pe::File exe(std::string(TAVOLIN_BUILD_ROOT) + "/" + folder + "/tavolin.exe");
        const pe::File scr(std::string(TAVOLIN_BUILD_ROOT) + "/" + folder + "/tavolin.scr");
        ASSERT_TRUE(exe.valid() && scr.valid()) << folder;
        EXPECT_TRUE(exe.bytes() == scr.bytes()) << folder << ": tavolin.scr differs from tavolin.exe";
    }
}

}  // namespace
