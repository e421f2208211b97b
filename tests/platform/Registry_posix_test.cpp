#include "platform/Registry.h"
#include "platform/ScopedEnv.h"
#include "platform/TreeFixture.h"

// Where the POSIX backend finds its registry files and what it says about a broken one.
using namespace std::string_literals;
using namespace tolvar::platform;

namespace {

constexpr auto LM = RegistryRoot::LocalMachine;
constexpr auto CU = RegistryRoot::CurrentUser;

} // namespace

TEST(RegistryPosixTest, BrokenFileReadsAsEmptyAndSaysWhereOnce) {
    const struct {
        const char* file;
        int line;
        const char* what;
    } cases[] = {
        {"registry/truncated-hex.reg", 6, "hex list runs past the end of the file"},
        {"registry/bad-header.reg", 1, "not a registry export file (bad header)"},
        {"registry/unterminated-string.reg", 5, "unterminated string"},
    };
    for (const auto& [file, line, what] : cases) {
        ScopedEnv registry("TOLVAR_REGISTRY", fixture(file));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(queryRegistryValue(LM, "Software\\TolvarInfo\\Lumeo", "InstallPath"),
                  std::nullopt);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "TolvarNorvikUpdater: " + fixture(file) + ":" + std::to_string(line) + ": " +
                      what + " (registry file read as empty)\n");
    }
}

class RegistryLocationTest : public TreeFixture {};

TEST_F(RegistryLocationTest, UserHiveLivesInTheUsersConfigFolder) {
    const auto hive = [](const char* dpi) {
        return "REGEDIT4\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"LogPixels\"=dword:"s +
               dpi + "\n[HKEY_LOCAL_MACHINE\\Software]\n\"Here\"=\"user file\"\n";
    };
    writeFile(root / "xdg/tolvar/registry.reg", hive("78"));
    writeFile(root / "home/.config/tolvar/registry.reg", hive("90"));
    const auto logPixels = [] {
        const auto value = queryRegistryValue(CU, "Control Panel\\Desktop", "LogPixels");
        return value ? value->data : "no key";
    };

    ScopedEnv single("TOLVAR_REGISTRY", std::nullopt);
    ScopedEnv home("HOME", (root / "home").string());
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", (root / "xdg").string());
        EXPECT_EQ(logPixels(), "\x78\0\0\0"s);
        EXPECT_NE(queryRegistryValue(LM, "Software", "Here"),
                  std::optional(RegistryValue{1, "user file\0"s}))
            << "the machine's hive is not read from the user's file";
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/ignored");
        EXPECT_EQ(logPixels(), "\x90\0\0\0"s);
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(logPixels(), "no key");
}
