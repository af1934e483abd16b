// Both programs' files as the system and a user's file properties read them:
// the embedded manifest and the version resource.
#include "support/program_resources.h"

#include "census_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace census {
namespace {

using testing::BesideTestProgram;

struct Program {
    const wchar_t* file;
    bool common_controls_6;  // the window program only
    const wchar_t* internal_name;
};

constexpr Program kPrograms[] = {
    {L"census.exe", true, L"census"},
    {L"census_cli.exe", false, L"census_cli"},
};

constexpr wchar_t kPrefixes[] =
    L"xmlns:a='urn:schemas-microsoft-com:asm.v1' xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
    L"xmlns:v3='urn:schemas-microsoft-com:asm.v3' "
    L"xmlns:w05='http://schemas.microsoft.com/SMI/2005/WindowsSettings' "
    L"xmlns:w16='http://schemas.microsoft.com/SMI/2016/WindowsSettings'";

std::string ToUtf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

TEST(ProgramResources, EachProgramDeclaresItsControlsSystemsScalingAndLongPaths) {
    ASSERT_NE("", ToUtf8(testing::XmlDocument("<assembly><a></assembly>", kPrefixes).Error())) << "the parser judges";
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(ToUtf8(program.file));
        const std::string manifest = testing::EmbeddedManifest(BesideTestProgram(program.file));
        ASSERT_FALSE(manifest.empty()) << "no manifest";
        testing::XmlDocument xml(manifest, kPrefixes);
        ASSERT_EQ("", ToUtf8(xml.Error()));
        EXPECT_EQ(std::vector<std::wstring>{L"1.0"}, xml.Select(L"/a:assembly/@manifestVersion"));

        const std::wstring controls =
            L"/a:assembly/a:dependency/a:dependentAssembly/"
            L"a:assemblyIdentity[@name='Microsoft.Windows.Common-Controls' and @type='win32' and "
            L"@publicKeyToken='6595b64144ccf1df']/@version";
        EXPECT_EQ(program.common_controls_6 ? std::vector<std::wstring>{L"6.0.0.0"} : std::vector<std::wstring>{},
                  xml.Select(controls));

        std::vector<std::wstring> systems = xml.Select(L"/a:assembly/c:compatibility/c:application/c:supportedOS/@Id");
        for (std::wstring& id : systems) std::transform(id.begin(), id.end(), id.begin(), ::towlower);
        const std::set<std::wstring> seven_to_eleven = {
            L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
            L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
            L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
            L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
        };
        EXPECT_EQ(seven_to_eleven, std::set<std::wstring>(systems.begin(), systems.end()));
        EXPECT_EQ(seven_to_eleven.size(), systems.size());

        const std::wstring settings = L"/a:assembly/v3:application/v3:windowsSettings/";
        EXPECT_EQ(std::vector<std::wstring>{L"true"}, xml.Select(settings + L"w16:longPathAware"));
        // Per monitor (version 2 where there is one); Windows before 10 1607 reads the older setting.
        EXPECT_EQ(std::vector<std::wstring>{L"PerMonitorV2, PerMonitor"}, xml.Select(settings + L"w16:dpiAwareness"));
        EXPECT_EQ(std::vector<std::wstring>{L"true/pm"}, xml.Select(settings + L"w05:dpiAware"));
    }
}

TEST(ProgramResources, EachProgramCarriesTheBuildsVersionAndRussianDescription) {
    const DWORD version_high = MAKELONG(CENSUS_VERSION_MINOR, CENSUS_VERSION_MAJOR);
    const DWORD version_low = MAKELONG(0, CENSUS_VERSION_PATCH);
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(ToUtf8(program.file));
        testing::VersionResource version = testing::ReadVersionResource(BesideTestProgram(program.file));
        ASSERT_TRUE(version.present);
        EXPECT_EQ(version_high, version.fixed.dwFileVersionMS);
        EXPECT_EQ(version_low, version.fixed.dwFileVersionLS);
        EXPECT_EQ(version_high, version.fixed.dwProductVersionMS);
        EXPECT_EQ(version_low, version.fixed.dwProductVersionLS);
        EXPECT_EQ(static_cast<DWORD>(VFT_APP), version.fixed.dwFileType);
        ASSERT_FALSE(version.translations.empty());
        EXPECT_EQ(0x0419, version.translations[0].first) << "Russian";
        EXPECT_EQ(1200, version.translations[0].second) << "UTF-16";

        std::map<std::wstring, std::wstring>& s = version.strings;
        EXPECT_EQ(CENSUS_VERSION_WIDE, s[L"FileVersion"]);
        EXPECT_EQ(CENSUS_VERSION_WIDE, s[L"ProductVersion"]);
        EXPECT_EQ(L"Ворлинд", s[L"ProductName"]);
        EXPECT_EQ(0u, s[L"FileDescription"].find(L"Перепись файлов")) << ToUtf8(s[L"FileDescription"]);
        EXPECT_EQ(0u, s[L"LegalCopyright"].find(L"© Korvalt")) << ToUtf8(s[L"LegalCopyright"]);
        EXPECT_EQ(program.file, s[L"OriginalFilename"]);
        EXPECT_EQ(program.internal_name, s[L"InternalName"]);
    }
    // The two files say which is which.
    EXPECT_NE(testing::ReadVersionResource(BesideTestProgram(kPrograms[0].file)).strings[L"FileDescription"],
              testing::ReadVersionResource(BesideTestProgram(kPrograms[1].file)).strings[L"FileDescription"]);
}

}  // namespace
}  // namespace census
