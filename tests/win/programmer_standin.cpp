// Stands in for the AVR programmer tool AVROSP on Windows: records the arguments it was
// started with, as a Windows program sees them (the command line split by the C run-time's
// rules), one a line in args.txt, and the whole command line in commandline.txt, both beside
// itself in UTF-8. Then it ends.

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? std::size_t(n - 1) : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool writeBeside(const std::wstring& folder, const wchar_t* name, const std::string& bytes)
{
    const HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

} // namespace

int main()
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length == 0 || length >= std::size(self))
        return 2;
    std::wstring folder(self, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);

    const wchar_t* line = GetCommandLineW();
    int count = 0;
    wchar_t** words = CommandLineToArgvW(line, &count);
    std::string args;
    for (int i = 1; words && i < count; ++i)
        args += utf8(words[i]) + "\n";
    LocalFree(words);
    const bool ok = writeBeside(folder, L"commandline.txt", utf8(line)) &&
                    writeBeside(folder, L"args.txt", args);
    return ok ? 0 : 1;
}
