#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/ScopedPlatform.h"
#include "platform/TreeFixture.h"

#include <vector>

using namespace std::string_literals;
using namespace tolvar::platform;

namespace tolvar::platform {
void PrintTo(const RegistryValue& value, std::ostream* out) {
    *out << "type " << value.type << " " << ::testing::PrintToString(value.data);
}
} // namespace tolvar::platform

namespace {

constexpr auto LM = RegistryRoot::LocalMachine;
constexpr auto CU = RegistryRoot::CurrentUser;

struct Lookup {
    RegistryRoot root;
    const char* key;
    const char* name;
    std::optional<RegistryValue> expected;
};

void expectLookups(const std::string& file, const std::vector<Lookup>& lookups) {
    ScopedRegistry registry(file);
    for (const auto& [root, key, name, expected] : lookups)
        EXPECT_EQ(queryRegistryValue(root, key, name), expected) << key << " : " << name;
}

const std::string Unicode = "Windows Registry Editor Version 5.00\r\n\r\n";

} // namespace

TEST(RegistryFileTest, WindowsExportKeepsTypesDataAndDeletions) {
    const RegistryValue absent{};
    expectLookups(
        fixture("registry/windows-export.reg"),
        {
            {CU, "Control Panel\\Desktop", "LogPixels", RegistryValue{4, "\x60\0\0\0"s}},
            {CU, "Control Panel\\Desktop", "AllBits", RegistryValue{4, "\xff\xff\xff\xff"s}},
            {CU, "Control Panel\\Desktop", "Quoted", RegistryValue{1, "say \"hi\" to C:\\Temp\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "", RegistryValue{1, "Lumeo default\0"s}},
            {LM, "software\\tolvarINFO\\LUMEO", "installPATH",
             RegistryValue{1, "C:\\Program Files\\Tolvar\\Lumeo\\\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Empty", RegistryValue{1, "\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "DataDir",
             RegistryValue{2, "%ProgramData%\\Tolvar\\Lumeo\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Cut", RegistryValue{1, "C:\\Apps\0stale\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Blob", RegistryValue{3, "\xde\xad\xbe\xef"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Names", RegistryValue{7, "one\0two\0\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Vendor", RegistryValue{1, "Tølvar Ståhl\0"s}},
            {LM, "Software\\TolvarInfo\\Lumeo", "Retired", absent},
            {LM, "Software\\TolvarInfo", "InstallPath", absent},
            {LM, "Software", "", absent},
            {LM, "Software\\TolvarInfo\\Vantro", "InstallPath", std::nullopt},
            {LM, "Software\\TolvarInfo\\Vantro\\Plugins", "Enabled", std::nullopt},
            {LM, "Software\\TolvarInfo\\VantroBeta", "InstallPath",
             RegistryValue{1, "D:\\Beta\0"s}},
            {LM, "Control Panel\\Desktop", "LogPixels", std::nullopt},
        });
}

TEST(RegistryFileTest, Regedit4FileHoldsAnsiText) {
    expectLookups(
        fixture("registry/regedit4-ansi.reg"),
        {
            {LM, "Software\\TolvarInfo\\Vantro", "InstallPath",
             RegistryValue{1, "C:\\Programme\\Tolvär\0"s}},
            {LM, "Software\\TolvarInfo\\Vantro", "DataDir", RegistryValue{2, "%TEMP%\\Tolvär\0"s}},
            {CU, "Control Panel\\Desktop", "LogPixels", RegistryValue{4, "\x78\0\0\0"s}},
        });
}

TEST(RegistryFileTest, MalformedLinesAreNamed) {
    const struct {
        std::string text;
        int line;
        std::string what;
    } cases[] = {
        {"", 1, "not a registry export file (bad header)"},
        {"REGEDIT4\n\"v\"=\"x\"\n", 2, "value outside a key"},
        {"REGEDIT4\n[HKLM\\A]\nInstallPath=x\n", 3, "unrecognised line"},
        {"REGEDIT4\n[HKLM\\A\n", 2, "key line without a closing ']'"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHIN\\A]\n", 2, "bad key path \"HKEY_LOCAL_MACHIN\\A\""},
        {"REGEDIT4\n[HKLM\\A\\\\B]\n", 2, "bad key path \"HKLM\\A\\\\B\""},
        {Unicode + "[HKLM\\A]\n\"v\"=\"x\" y\n", 4, "text after the closing quote"},
        {Unicode + "[HKLM\\A]\n\"v\"=text\n", 4, "unknown kind of value data"},
        {Unicode + "[HKLM\\A]\n\"v\"=dword:123456789\n", 4, "a dword needs 1 to 8 hex digits"},
        {Unicode + "[HKLM\\A]\n\"v\"=hex(x):00\n", 4, "bad value type in hex(...)"},
        {Unicode + "[HKLM\\A]\n\"v\"=hex:01,zz\n", 4, "bad hex byte \"zz\""},
        {Unicode + "[HKLM\\A]\n\"v\"=hex:01,02,\n", 4, "hex list cut short"},
        {Unicode + "[HKLM\\A]\n\"v\"=hex:01,\\\n\n", 5, "hex list cut short"},
        {Unicode + "[HKLM\\A]\n\"v\"=hex(2):41,00,\\\n  42\n", 4,
         "wrong number of bytes for a value of type 2"},
        {Unicode + "[HKLM\\A]\n\"v\"=hex(4):01,02,03\n", 4,
         "wrong number of bytes for a value of type 4"},
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

TEST(RegistryFileTest, MegabyteValuesAreReadWhole) {
    const std::size_t size = 1 << 20;
    std::string bytes(size, '\0');
    std::string text = Unicode + "[HKLM\\Big]\r\n\"Blob\"=hex:";
    const char* digits = "0123456789abcdef";
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7);
        text += {digits[(i * 7 >> 4) & 15], digits[i * 7 & 15]};
        if (i + 1 < size)
            text += i % 25 == 24 ? ",\\\r\n  " : ",";
    }
    text += "\r\n\"Text\"=\"" + std::string(size, 'x') + "\"\r\n";

    const RegistryStore store = RegistryStore::parse(text);
    EXPECT_TRUE(store.value("HKLM\\Big", "Blob") == (RegistryValue{3, bytes}));
    EXPECT_EQ(store.value("HKLM\\Big", "Text")->data.size(), 2 * size + 2);
}
