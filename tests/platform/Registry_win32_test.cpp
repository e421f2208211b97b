#include "platform/TreeFixture.h"

#include <windows.h>

using namespace std::string_literals;
using namespace tolvar::platform;

// The values are written below a key of this test process, which stands in for
// HKEY_LOCAL_MACHINE while they are read, so the machine's own registry is never touched.
TEST(RegistryWin32Test, ReadsTheTypeAndDataTheRegistryHolds) {
    const std::string base = "Software\\TolvarTests\\" + std::to_string(GetCurrentProcessId());
    HKEY machine = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &machine, nullptr),
              ERROR_SUCCESS);
    const wchar_t path[] = L"C:\\Tølvar\0stale";
    const DWORD dpi = 96;
    RegSetKeyValueW(machine, L"Software\\Lumeo", L"InstallPath", REG_SZ, path, sizeof path);
    RegSetKeyValueW(machine, L"Software\\Lumeo", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    RegSetKeyValueW(machine, L"Software\\Lumeo", L"Blob", REG_BINARY, "\xde\xad\xbe\xef", 4);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine);

    constexpr auto LM = RegistryRoot::LocalMachine;
    expectLookups({
        {LM, "Software\\Lumeo", "InstallPath", RegistryValue{1, "C:\\Tølvar\0stale\0"s}},
        {LM, "SOFTWARE\\lumeo", "logpixels", RegistryValue{4, "\x60\0\0\0"s}},
        {RegistryRoot::CurrentUser, base + "\\Software\\Lumeo", "Blob",
         RegistryValue{3, "\xde\xad\xbe\xef"s}},
        {LM, "Software\\Lumeo", "Missing", RegistryValue{}},
        {LM, "Software\\Vantro", "InstallPath", std::nullopt},
    });

    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(machine);
    RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
}
