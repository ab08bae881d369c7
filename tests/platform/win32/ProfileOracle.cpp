// Runs a command script of profile-file operations through the Windows profile functions
// themselves and writes one result line per command: the hex-encoded text a read gave (a
// section's lines each ended by a zero byte), or 1/0 for a write, a section erase or a section
// replacement. Used by the differential test under Wine.
#include "differential/ProfileScript.h"

#include <windows.h>

#include <fstream>
#include <iostream>
#include <vector>

using namespace kdx::test::profile;

namespace {

std::wstring Wide(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return wide;
}

// GetPrivateProfileSectionW, its text back in the ANSI code page as the ANSI calls give it.
std::string Section(const Command& c)
{
    std::vector<wchar_t> buf(1 << 20);
    const DWORD n
        = GetPrivateProfileSectionW(Wide(c.section).c_str(), buf.data(), DWORD(buf.size()), Wide(c.file).c_str());
    if (n == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, buf.data(), int(n), nullptr, 0, nullptr, nullptr);
    std::string lines(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, buf.data(), int(n), lines.data(), size, nullptr, nullptr);
    return lines;
}

std::string Run(const Command& c)
{
    switch (c.op) {
    case Op::Read: {
        char buf[2048] = {};
        const DWORD n = GetPrivateProfileStringA(
            c.section.c_str(), c.key.c_str(), c.value.c_str(), buf, sizeof buf, c.file.c_str());
        return ToHex(std::string(buf, n));
    }
    case Op::Write:
        return WritePrivateProfileStringA(c.section.c_str(), c.key.c_str(), c.value.c_str(), c.file.c_str()) ? "1"
                                                                                                             : "0";
    case Op::Erase:
        return WritePrivateProfileStringA(c.section.c_str(), nullptr, nullptr, c.file.c_str()) ? "1" : "0";
    case Op::Replace: {
        const std::string block = c.value + '\0'; // the list's own terminating zero
        return WritePrivateProfileSectionA(c.section.c_str(), block.c_str(), c.file.c_str()) ? "1" : "0";
    }
    case Op::Section:
        return ToHex(Section(c));
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: profile_oracle SCRIPT RESULTS\n";
        return 2;
    }
    std::ifstream script(argv[1], std::ios::binary);
    std::ofstream results(argv[2], std::ios::binary);
    if (!script || !results) {
        std::cerr << "cannot open the script or the results file\n";
        return 2;
    }
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        Command c;
        if (!ParseCommand(line, c)) {
            std::cerr << "script line " << number << " is malformed\n";
            return 2;
        }
        results << Run(c) << '\n';
    }
    return results ? 0 : 1;
}
