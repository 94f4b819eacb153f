#pragma once
// The import and export tables of a DLL of the program's own architecture read from its file, without loading it (a second
// OBSApi.dll cannot be loaded beside the one a test program already uses).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

class PeFile {
public:
    explicit PeFile(const char* path) {
        std::ifstream file(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return;
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0 ||
            bytes.size() < static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS))
            return;
        nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes.data() + dos->e_lfanew);
        if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) nt = nullptr;
    }

    bool Valid() const { return nt != nullptr; }

    // Every DLL the file imports from (lower case), with the names it takes ("#n" for ordinals).
    std::map<std::string, std::vector<std::string>> Imports() const {
        std::map<std::string, std::vector<std::string>> imports;
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(dir.VirtualAddress); d && d->Name; ++d) {
            std::string dll = At<char>(d->Name);
            std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            std::vector<std::string>& names = imports[dll];
            for (auto* t = At<IMAGE_THUNK_DATA>(d->OriginalFirstThunk); t && t->u1.AddressOfData; ++t) {
                if (IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal))
                    names.push_back("#" + std::to_string(IMAGE_ORDINAL(t->u1.Ordinal)));
                else
                    names.push_back(reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(t->u1.AddressOfData))->Name));
            }
        }
        return imports;
    }

    // The names the file exports.
    std::set<std::string> Exports() const {
        std::set<std::string> names;
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
        if (!exports) return names;
        const auto* nameRvas = At<DWORD>(exports->AddressOfNames);
        for (DWORD i = 0; nameRvas && i < exports->NumberOfNames; ++i) names.insert(At<char>(nameRvas[i]));
        return names;
    }

private:
    // What lies at a relative virtual address, found through the section that holds it; null
    // when none does.
    template <typename T>
    const T* At(DWORD rva) const {
        if (!rva) return nullptr;
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
                const std::size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
                return offset < bytes.size() ? reinterpret_cast<const T*>(bytes.data() + offset) : nullptr;
            }
        }
        return nullptr;
    }

    std::vector<unsigned char> bytes;
    const IMAGE_NT_HEADERS* nt = nullptr;
};
