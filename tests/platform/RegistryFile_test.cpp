#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/ScopedEnv.h"
#include "platform/TextEncoding.h"
#include "platform/TreeFixture.h"

// Export files read as the registry, as the POSIX backend reads them.
using namespace std::string_literals;
using namespace tolvar::platform;

TEST(RegistryFileTest, ExportsKeepTypesDataAndDeletions) {
    constexpr auto LM = RegistryRoot::LocalMachine;
    constexpr auto CU = RegistryRoot::CurrentUser;
    const RegistryValue absent{};
    const std::string lumeo = "Software\\TolvarInfo\\Lumeo";
    const std::string vantro = "Software\\TolvarInfo\\Vantro";
    {
        ScopedEnv registry("TOLVAR_REGISTRY", fixture("registry/windows-export.reg"));
        expectLookups({
            {CU, "Control Panel\\Desktop", "LogPixels", RegistryValue{4, "\x60\0\0\0"s}},
            {CU, "Control Panel\\Desktop", "Quoted", RegistryValue{1, "say \"hi\" to C:\\Temp\0"s}},
            {LM, lumeo, "", RegistryValue{1, "Lumeo default\0"s}},
            {LM, "software\\tolvarINFO\\LUMEO", "installPATH",
             RegistryValue{1, "C:\\Program Files\\Tolvar\\Lumeo\\\0"s}},
            {LM, lumeo, "DataDir", RegistryValue{2, "%ProgramData%\\Tolvar\\Lumeo\0"s}},
            {LM, lumeo, "Blob", RegistryValue{3, "\xde\xad\xbe\xef"s}},
            {LM, lumeo, "Names", RegistryValue{7, "one\0two\0\0"s}},
            {LM, lumeo, "Retired", absent},
            {LM, "Software", "", absent},
            {LM, vantro, "InstallPath", std::nullopt},
            {LM, vantro + "\\Plugins", "Enabled", std::nullopt},
            {LM, vantro + "Beta", "InstallPath", RegistryValue{1, "D:\\Beta\0"s}},
            {LM, "Control Panel\\Desktop", "LogPixels", std::nullopt},
        });
    }
    // The older format holds ANSI text.
    ScopedEnv registry("TOLVAR_REGISTRY", fixture("registry/regedit4-ansi.reg"));
    expectLookups({
        {LM, vantro, "InstallPath", RegistryValue{1, "C:\\Programme\\Tolvär\0"s}},
        {LM, vantro, "DataDir", RegistryValue{2, "%TEMP%\\Tolvär\0"s}},
        {LM, vantro, "Signs", RegistryValue{1, "\u20AC\u0081\u0178\0"s}},
    });
}

// A UTF-8 byte order mark is dropped: the file reads as it does without one. Tabs are blanks,
// blanks may end a line, and a binary value may be empty. A character beyond 16 bits is stored
// as a surrogate pair.
TEST(RegistryFileTest, AUtf8ByteOrderMarkIsDropped) {
    const std::string text =
        "REGEDIT4\r\n[HKLM\\A] \t\r\n\"v\"\t=\t\"caf\xC3\xA9\xF0\x9F\x98\x80\"\r\n"
        "\"e\"=hex:\r\n";
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text}) {
        const RegistryStore store = RegistryStore::parse(bytes);
        EXPECT_EQ(store.value("HKLM\\A", "v"),
                  (RegistryValue{1, "c\0a\0f\0\xE9\0\x3D\xD8\x00\xDE\0\0"s}));
        EXPECT_EQ(store.value("HKLM\\A", "e"), (RegistryValue{3, ""}));
    }
    // UTF-8 encodes no surrogate: a file that would hold one is ANSI text.
    EXPECT_EQ(RegistryStore::parse("REGEDIT4\r\n[HKLM\\A]\r\n\"v\"=\"\xED\xA0\x80\"\r\n")
                  .value("HKLM\\A", "v"),
              (RegistryValue{1, "\xED\0\xA0\0\xAC\x20\0\0"s}));
}

// A path of `depth` keys below HKLM, each named `name`.
std::string deepKey(std::size_t depth, const std::string& name = "k") {
    return "HKLM" + repeated(depth, "\\" + name);
}

TEST(RegistryFileTest, MalformedLinesAreNamed) {
    const std::string key = "REGEDIT4\n[HKLM\\A]\n";
    const struct {
        std::string text;
        int line;
        std::string what;
    } cases[] = {
        {"", 1, "not a registry export file (bad header)"},
        {"REGEDIT4\n\"v\"=\"x\"\n", 2, "value outside a key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHIN\\A]\n", 2, "bad key path \"HKEY_LOCAL_MACHIN\\A\""},
        {key + "[HKLM\\B\\]\n", 3, "bad key path \"HKLM\\B\\\""},
        {key + "[HKLM\\B] x\n", 3, "key line without a closing ']'"},
        {key + "\"v\"=\"x\n", 3, "unterminated string"},
        {key + "\"v\"=text\n", 3, "unknown kind of value data"},
        {key + "\"v\"=dword:123456789\n", 3, "a dword needs 1 to 8 hex digits"},
        {key + "\"v\"=hex(x):00\n", 3, "bad value type in hex(...)"},
        {key + "\"v\"=hex:01,4g\n", 3, "bad hex byte \"4g\""},
        {key + "\"v\"=hex:100,01\n", 3, "bad hex byte \"100\""},
        {key + "v=1\n", 3, "unrecognised line"},
        {key + "\"v\" \"x\"\n", 3, "'=' expected after the value name"},
        {key + "\"v\"=\"x\" y\n", 3, "text after the closing quote"},
        // A UTF-16 file cut after an odd byte ends in a replacement character.
        {"\xFF\xFE" + utf8ToUtf16le(key + "\"v\"=\"x\"") + "x", 3, "text after the closing quote"},
        {key + "\"v\"=hex:01,,02\n", 3, "hex list cut short"},
        // Counted over the whole list, named at its first line.
        {key + "\"v\"=hex(4):01,02,\\\n  03,04,05\n", 3,
         "wrong number of bytes for a value of type 4"},
        {key + "\"v\"=hex(b):01,02,03,04\n", 3, "wrong number of bytes for a value of type 11"},
        {"Windows Registry Editor Version 5.00\n[HKLM\\A]\n\"v\"=hex(2):41\n", 3,
         "wrong number of bytes for a value of type 2"},
        {key + "[" + deepKey(513) + "]\n", 3, "key path deeper than 512 levels"},
        {key + "[-" + deepKey(513) + "]\n", 3, "key path deeper than 512 levels"},
        {key + "[" + deepKey(2, repeated(256, "\xC3\xA4")) + "]\n", 3,
         "key name longer than 255 characters"},
        {key + "\"" + std::string(16384, 'v') + "\"=\"x\"\n", 3,
         "value name longer than 16383 characters"},
    };
    for (const auto& [text, line, what] : cases) {
        try {
            RegistryStore::parse(text);
            ADD_FAILURE() << "parsed: " << text;
        } catch (const RegistryFileError& error) {
            EXPECT_EQ(error.line(), line) << text;
            EXPECT_EQ(error.what(), what) << text;
        }
    }
}

// The registry's limits, counted in characters, are allowed up to the last one.
TEST(RegistryFileTest, NamesAndDepthUpToTheLimitsAreRead) {
    const std::string longName = repeated(255, "\xC3\xA4");
    const std::string valueName(16383, 'v');
    const RegistryStore store = RegistryStore::parse("REGEDIT4\n[" + deepKey(512) + "]\n[HKLM\\" +
                                                     longName + "]\n\"" + valueName + "\"=\"x\"\n");
    EXPECT_TRUE(store.hasKey(deepKey(512)));
    EXPECT_EQ(store.value("HKLM\\" + longName, valueName), (RegistryValue{1, "x\0\0\0"s}));
}

// "[-Key]" takes the key and everything below it, and nothing that merely starts with its name;
// the parent stays even when no line named it.
TEST(RegistryFileTest, DeletionRemovesExactlyTheSubtree) {
    const RegistryStore store = RegistryStore::parse("REGEDIT4\n"
                                                     "[HKLM\\A\\Key\\Sub\\Deeper]\n"
                                                     "[HKLM\\A\\Key2]\n"
                                                     "\"v\"=\"kept\"\n"
                                                     "[HKLM\\A\\Key!]\n"
                                                     "[HKLM\\A\\Key]\n"
                                                     "\"v\"=\"gone\"\n"
                                                     "[HKLM\\B\\C]\n"
                                                     "[-HKLM\\A\\KEY]\n"
                                                     "[-HKLM\\B\\C]\n"
                                                     "\"checked\"=\"then dropped\"\n"
                                                     "[-HKLM\\Missing\\Child]\n");
    const std::pair<std::string, bool> keys[] = {
        {"HKLM\\A\\Key", false}, {"HKLM\\A\\Key\\Sub", false}, {"HKLM\\A\\Key\\Sub\\Deeper", false},
        {"HKLM\\A\\Key2", true}, {"HKLM\\A\\Key!", true},      {"HKLM\\A", true},
        {"HKLM\\B", true},       {"HKLM\\B\\C", false},        {"HKLM\\Missing", false},
    };
    for (const auto& [key, present] : keys) {
        EXPECT_EQ(store.hasKey(key), present) << key;
    }
    EXPECT_EQ(store.value("HKLM\\A\\Key2", "v"), (RegistryValue{1, "k\0e\0p\0t\0\0\0"s}));
    EXPECT_EQ(store.value("HKLM\\A\\Key", "v"), std::nullopt);
}

TEST(RegistryFileTest, BrokenFileReadsAsEmptyAndSaysWhere) {
    const std::string file = fixture("registry/truncated-hex.reg");
    // A path below a file names no file at all, which is nothing to warn about.
    for (const auto& [path, warning] :
         {std::pair{file, "TolvarNorvikUpdater: " + file +
                              ":6: hex list runs past the end of the file (registry file read "
                              "as empty)\n"},
          {file + "/x", std::string()}}) {
        ScopedEnv registry("TOLVAR_REGISTRY", path);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(queryRegistryValue(RegistryRoot::LocalMachine, "Software\\TolvarInfo\\Lumeo",
                                     "InstallPath"),
                  std::nullopt);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), warning);
    }
}

class RegistryLocationTest : public TreeFixture {};

// The user's hive is read from XDG_CONFIG_HOME when that is absolute, else from ~/.config; the
// machine's hive never from either.
TEST_F(RegistryLocationTest, UserHiveLivesInTheUsersConfigFolder) {
    for (const std::string folder : {"xdg", "home/.config"}) {
        writeFile(root / folder / "tolvar/registry.reg", "REGEDIT4\n[HKCU\\D]\n\"From\"=\"" +
                                                             folder + "\"\n[HKLM\\D]\n\"From\"=\"" +
                                                             folder + "\"\n");
    }
    ScopedEnv single("TOLVAR_REGISTRY", std::nullopt);
    ScopedEnv home("HOME", (root / "home").string());
    for (const auto& [xdg, folder] :
         {std::pair<std::string, std::string>{(root / "xdg").string(), "xdg"},
          {"relative", "home/.config"}}) {
        ScopedEnv config("XDG_CONFIG_HOME", xdg);
        const RegistryValue user{1, folder + '\0'};
        EXPECT_EQ(queryRegistryValue(RegistryRoot::CurrentUser, "D", "From"), user);
        EXPECT_NE(queryRegistryValue(RegistryRoot::LocalMachine, "D", "From"), user);
    }
}
