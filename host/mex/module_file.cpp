#include "module_file.hpp"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace montemex::host {

namespace {

using Offset = std::uint64_t;

// Little-endian fields, as both formats store them on the machines this host runs on.
Offset field(const unsigned char* bytes, int width)
{
    Offset value = 0;
    for (int k = width - 1; k >= 0; --k) value = (value << 8) | bytes[k];
    return value;
}

// A module file read at offsets given by its headers, with the furthest end they need.
class ModuleFile {
public:
    explicit ModuleFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb"))
    {
        if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) return;
        const long end = std::ftell(file_);
        if (end >= 0) size_ = static_cast<Offset>(end);
    }
    ~ModuleFile()
    {
        if (file_ != nullptr) std::fclose(file_);
    }
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    bool isReadable() const { return file_ != nullptr && size_ != kUnknown; }
    Offset size() const { return size_; }
    // The furthest end past the file's size that the headers asked for, or 0.
    Offset missing() const { return missing_; }

    // Whether bytes [offset, offset + length) lie inside the file; when they do not, their end is
    // remembered.
    bool require(Offset offset, Offset length)
    {
        const Offset end = offset + length < offset ? kUnknown : offset + length;
        if (end <= size_) return true;
        if (end > missing_) missing_ = end;
        return false;
    }

    // Reads `length` bytes at `offset` when they lie inside the file (and within fseek's reach).
    bool read(Offset offset, unsigned char* out, std::size_t length)
    {
        if (!require(offset, length) || offset > kFurthestSeek) return false;
        return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 &&
               std::fread(out, 1, length, file_) == length;
    }

private:
    static constexpr Offset kUnknown = ~Offset(0);
    static constexpr Offset kFurthestSeek = 0x7fffffff;  // a long is 32 bits on Windows
    std::FILE* file_;
    Offset size_ = kUnknown;
    Offset missing_ = 0;
};

// ELF: the program headers (segments the loader maps) and the section headers with every
// section that has contents in the file.
void checkElf(ModuleFile& file)
{
    unsigned char ident[16];
    if (!file.read(0, ident, sizeof ident)) return;
    const bool is64 = ident[4] == 2;
    // Only the classes and the byte order this check reads; the loader refuses the others.
    if ((ident[4] != 1 && ident[4] != 2) || ident[5] != 1) return;
    unsigned char header[64];
    if (!file.read(0, header, is64 ? 64 : 52)) return;
    const Offset programTable = is64 ? field(header + 32, 8) : field(header + 28, 4);
    const Offset sectionTable = is64 ? field(header + 40, 8) : field(header + 32, 4);
    const Offset programEntry = field(header + (is64 ? 54 : 42), 2);
    const Offset programCount = field(header + (is64 ? 56 : 44), 2);
    const Offset sectionEntry = field(header + (is64 ? 58 : 46), 2);
    const Offset sectionCount = field(header + (is64 ? 60 : 48), 2);

    unsigned char entry[64];
    const std::size_t programSize = is64 ? 56 : 32;
    if (programEntry >= programSize && file.require(programTable, programCount * programEntry)) {
        for (Offset k = 0; k < programCount && file.read(programTable + k * programEntry, entry, programSize); ++k) {
            const Offset offset = is64 ? field(entry + 8, 8) : field(entry + 4, 4);
            const Offset length = is64 ? field(entry + 32, 8) : field(entry + 16, 4);
            file.require(offset, length);
        }
    }
    const std::size_t sectionSize = is64 ? 64 : 40;
    const Offset noBits = 8;  // SHT_NOBITS: a section with no contents in the file (.bss)
    if (sectionEntry >= sectionSize && file.require(sectionTable, sectionCount * sectionEntry)) {
        for (Offset k = 0; k < sectionCount && file.read(sectionTable + k * sectionEntry, entry, sectionSize); ++k) {
            const Offset offset = is64 ? field(entry + 24, 8) : field(entry + 16, 4);
            const Offset length = is64 ? field(entry + 32, 8) : field(entry + 20, 4);
            if (field(entry + 4, 4) != noBits) file.require(offset, length);
        }
    }
}

// PE: the headers, every section's raw data, and the COFF symbol table with its string table.
void checkPe(ModuleFile& file)
{
    unsigned char dos[64];
    if (!file.read(0, dos, sizeof dos)) return;
    const Offset peHeader = field(dos + 0x3c, 4);
    unsigned char nt[24];
    if (!file.read(peHeader, nt, sizeof nt) || std::memcmp(nt, "PE\0\0", 4) != 0) return;
    const unsigned char* coff = nt + 4;
    const Offset sectionCount = field(coff + 2, 2);
    const Offset symbolTable = field(coff + 8, 4);
    const Offset symbolCount = field(coff + 12, 4);
    const Offset optionalSize = field(coff + 16, 2);
    const Offset optional = peHeader + sizeof nt;

    unsigned char bytes[64];
    if (optionalSize >= 64 && file.read(optional, bytes, 64)) file.require(0, field(bytes + 60, 4));  // SizeOfHeaders
    const Offset sectionTable = optional + optionalSize;
    const std::size_t sectionSize = 40;
    if (file.require(sectionTable, sectionCount * sectionSize)) {
        for (Offset k = 0; k < sectionCount && file.read(sectionTable + k * sectionSize, bytes, sectionSize); ++k) {
            file.require(field(bytes + 20, 4), field(bytes + 16, 4));  // PointerToRawData, SizeOfRawData
        }
    }
    if (symbolTable != 0) {
        const Offset strings = symbolTable + symbolCount * 18;
        if (file.read(strings, bytes, 4)) file.require(strings, field(bytes, 4));  // the size counts itself
    }
}

}  // namespace

std::string damagedModuleFile(const std::string& path)
{
    ModuleFile file(path);
    if (!file.isReadable()) return "";  // the loader says why
    const std::string name = "'" + path + "' is truncated: ";
    unsigned char magic[4];
    if (!file.read(0, magic, sizeof magic)) {
        return name + "it has " + std::to_string(file.size()) + " bytes, too few for any module.";
    }
    if (std::memcmp(magic,
                    "\x7f"
                    "ELF",
                    4) == 0) {
        checkElf(file);
    } else if (magic[0] == 'M' && magic[1] == 'Z') {
        checkPe(file);
    }
    // Any other format is the loader's to judge.
    if (file.missing() == 0) return "";
    return name + "its headers need " + std::to_string(file.missing()) + " bytes, the file has " +
           std::to_string(file.size()) + ".";
}

}  // namespace montemex::host
