// A small reader of Windows executables, enough for the package checks: the
// headers, the DLLs imported and the resources, read straight from the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pe {

struct Resource {
    std::uint32_t type;
    std::uint32_t id;
    std::uint32_t language;
    std::string bytes;
};

class File {
public:
    // Reads the whole file; valid() says whether it is a PE image this reader understands.
    explicit File(const std::string& path);

    bool valid() const { return valid_; }
    const std::string& bytes() const { return bytes_; }
    std::uint16_t machine() const { return machine_; }
    std::uint16_t subsystem() const { return subsystem_; }
    std::uint32_t timeDateStamp() const { return timeDateStamp_; }
    bool isPe32Plus() const { return pe32Plus_; }

    // The DLL names of the import directory, as written in the file.
    std::vector<std::string> importedDlls() const;
    std::vector<Resource> resources() const;

private:
    std::optional<std::size_t> offsetOf(std::uint32_t rva) const;
    std::uint32_t read32(std::size_t offset) const;
    std::uint16_t read16(std::size_t offset) const;

    struct Section {
        std::uint32_t virtualAddress;
        std::uint32_t virtualSize;
        std::uint32_t rawOffset;
        std::uint32_t rawSize;
    };

    std::string bytes_;
    bool valid_ = false;
    bool pe32Plus_ = false;
    std::uint16_t machine_ = 0;
    std::uint16_t subsystem_ = 0;
    std::uint32_t timeDateStamp_ = 0;
    std::uint32_t importRva_ = 0;
    std::uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

// String `id` of a string table, from the RT_STRING resources; UTF-16 read as
// Latin-1, which is enough for the texts checked here.
std::optional<std::string> stringResource(const std::vector<Resource>& resources, std::uint32_t id);

// The values of a VERSIONINFO resource: the fixed file version as four numbers,
// and the StringFileInfo entries.
struct VersionInfo {
    std::uint16_t fileVersion[4] = {};
    std::uint16_t productVersion[4] = {};
    std::vector<std::pair<std::string, std::string>> strings;
    std::optional<std::string> value(const std::string& key) const;
};
std::optional<VersionInfo> versionInfo(const std::string& block);

}  // namespace pe
