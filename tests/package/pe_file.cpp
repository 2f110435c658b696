// PE layout: the DOS header points to the PE signature, followed by the COFF
// header, the optional header with its data directories, and the section table.
// Resources are a three-level tree: type, name, language.
#include "pe_file.h"

#include <fstream>
#include <iterator>

namespace pe {

namespace {

constexpr std::uint32_t kStringType = 6;
constexpr std::uint32_t kNameIsString = 0x80000000u;
constexpr std::uint32_t kEntryIsDirectory = 0x80000000u;

std::string latin1(const std::string& bytes, std::size_t offset, std::size_t characters) {
    std::string text;
    for (std::size_t i = 0; i < characters && offset + 2 * i + 1 < bytes.size(); ++i) {
        const unsigned low = static_cast<unsigned char>(bytes[offset + 2 * i]);
        const unsigned high = static_cast<unsigned char>(bytes[offset + 2 * i + 1]);
        text += static_cast<char>(high == 0 ? low : '?');
    }
    return text;
}

}  // namespace

File::File(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (bytes_.size() < 0x40 || bytes_.compare(0, 2, "MZ") != 0) {
        return;
    }
    const std::size_t pe = read32(0x3C);
    if (pe + 24 > bytes_.size() || bytes_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
        return;
    }
    const std::size_t coff = pe + 4;
    machine_ = read16(coff);
    const std::uint16_t sectionCount = read16(coff + 2);
    timeDateStamp_ = read32(coff + 4);
    const std::uint16_t optionalSize = read16(coff + 16);
    const std::size_t optional = coff + 20;
    const std::uint16_t magic = read16(optional);
    if (magic != 0x10B && magic != 0x20B) {
        return;
    }
    pe32Plus_ = magic == 0x20B;
    subsystem_ = read16(optional + 68);
    const std::size_t directories = optional + (pe32Plus_ ? 112 : 96);
    importRva_ = read32(directories + 8 * 1);
    resourceRva_ = read32(directories + 8 * 2);
    const std::size_t table = optional + optionalSize;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::size_t entry = table + 40 * i;
        sections_.push_back({read32(entry + 12), read32(entry + 8), read32(entry + 20), read32(entry + 16)});
    }
    valid_ = table + 40 * sectionCount <= bytes_.size();
}

std::uint32_t File::read32(std::size_t offset) const {
    if (offset + 4 > bytes_.size()) {
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
    }
    return value;
}

std::uint16_t File::read16(std::size_t offset) const {
    if (offset + 2 > bytes_.size()) {
        return 0;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes_[offset]) |
                                      (static_cast<unsigned char>(bytes_[offset + 1]) << 8));
}

std::optional<std::size_t> File::offsetOf(std::uint32_t rva) const {
    for (const Section& section : sections_) {
        const std::uint32_t size = std::max(section.virtualSize, section.rawSize);
        if (rva >= section.virtualAddress && rva < section.virtualAddress + size) {
            return section.rawOffset + (rva - section.virtualAddress);
        }
    }
    return std::nullopt;
}

std::vector<std::string> File::importedDlls() const {
    std::vector<std::string> dlls;
    const auto start = offsetOf(importRva_);
    if (importRva_ == 0 || !start) {
        return dlls;
    }
    // Import descriptors of 20 bytes each, ended by one of zeros; the name is the fourth field.
    for (std::size_t entry = *start; entry + 20 <= bytes_.size(); entry += 20) {
        const std::uint32_t nameRva = read32(entry + 12);
        if (nameRva == 0) {
            break;
        }
        const auto name = offsetOf(nameRva);
        if (!name) {
            break;
        }
        dlls.emplace_back(bytes_.c_str() + *name);
    }
    return dlls;
}

std::vector<Resource> File::resources() const {
    std::vector<Resource> found;
    const auto root = offsetOf(resourceRva_);
    if (resourceRva_ == 0 || !root) {
        return found;
    }
    // Entries follow a 16-byte directory header: named ones first, then those with ids.
    auto entries = [&](std::size_t directory) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> list;
        const std::size_t count = read16(directory + 12) + read16(directory + 14);
        for (std::size_t i = 0; i < count; ++i) {
            list.emplace_back(read32(directory + 16 + 8 * i), read32(directory + 20 + 8 * i));
        }
        return list;
    };
    for (const auto& [type, typeTarget] : entries(*root)) {
        if ((typeTarget & kEntryIsDirectory) == 0) {
            continue;
        }
        for (const auto& [id, idTarget] : entries(*root + (typeTarget & ~kEntryIsDirectory))) {
            if ((idTarget & kEntryIsDirectory) == 0) {
                continue;
            }
            for (const auto& [language, dataEntry] : entries(*root + (idTarget & ~kEntryIsDirectory))) {
                const std::size_t data = *root + (dataEntry & ~kEntryIsDirectory);
                const auto offset = offsetOf(read32(data));
                const std::uint32_t size = read32(data + 4);
                if (!offset || *offset + size > bytes_.size()) {
                    continue;
                }
                found.push_back({type & ~kNameIsString, id & ~kNameIsString, language,
                                 bytes_.substr(*offset, size)});
            }
        }
    }
    return found;
}

// Strings come in blocks of sixteen: block n + 1 holds ids 16n to 16n + 15, each a
// UTF-16 length followed by that many characters.
std::optional<std::string> stringResource(const std::vector<Resource>& resources, std::uint32_t id) {
    for (const Resource& resource : resources) {
        if (resource.type != kStringType || resource.id != id / 16 + 1) {
            continue;
        }
        std::size_t offset = 0;
        for (std::uint32_t index = 0; index < 16 && offset + 2 <= resource.bytes.size(); ++index) {
            const std::size_t length = static_cast<unsigned char>(resource.bytes[offset]) |
                                       (static_cast<unsigned char>(resource.bytes[offset + 1]) << 8);
            if (index == id % 16) {
                return length == 0 ? std::nullopt : std::optional(latin1(resource.bytes, offset + 2, length));
            }
            offset += 2 + 2 * length;
        }
    }
    return std::nullopt;
}

std::optional<std::string> VersionInfo::value(const std::string& key) const {
    for (const auto& [name, text] : strings) {
        if (name == key) {
            return text;
        }
    }
    return std::nullopt;
}

// Each node: length, value length, type, a NUL-ended UTF-16 key, padding to four
// bytes, the value, padding, then its children up to its length.
std::optional<VersionInfo> versionInfo(const std::string& block) {
    VersionInfo info;
    auto u16 = [&](std::size_t at) -> std::size_t {
        return at + 1 < block.size()
                   ? static_cast<unsigned char>(block[at]) | (static_cast<unsigned char>(block[at + 1]) << 8)
                   : 0;
    };
    auto align = [](std::size_t at) { return (at + 3) & ~std::size_t{3}; };
    auto keyEnd = [&](std::size_t at) {
        while (at + 1 < block.size() && u16(at) != 0) {
            at += 2;
        }
        return at + 2;
    };
    bool parsedFixed = false;
    auto walk = [&](auto&& self, std::size_t node, const std::string& parent) -> void {
        const std::size_t length = u16(node);
        const std::size_t valueLength = u16(node + 2);
        const bool text = u16(node + 4) == 1;
        const std::size_t keyStart = node + 6;
        const std::size_t afterKey = keyEnd(keyStart);
        const std::string key = latin1(block, keyStart, (afterKey - keyStart) / 2 - 1);
        const std::size_t value = align(afterKey);
        if (key == "VS_VERSION_INFO" && valueLength >= 52 && u16(value) == 0x04BD && u16(value + 2) == 0xFEEF) {
            const std::size_t numbers[4] = {value + 8, value + 12, value + 16, value + 20};
            info.fileVersion[0] = static_cast<std::uint16_t>(u16(numbers[0] + 2));
            info.fileVersion[1] = static_cast<std::uint16_t>(u16(numbers[0]));
            info.fileVersion[2] = static_cast<std::uint16_t>(u16(numbers[1] + 2));
            info.fileVersion[3] = static_cast<std::uint16_t>(u16(numbers[1]));
            info.productVersion[0] = static_cast<std::uint16_t>(u16(numbers[2] + 2));
            info.productVersion[1] = static_cast<std::uint16_t>(u16(numbers[2]));
            info.productVersion[2] = static_cast<std::uint16_t>(u16(numbers[3] + 2));
            info.productVersion[3] = static_cast<std::uint16_t>(u16(numbers[3]));
            parsedFixed = true;
        }
        const std::size_t valueBytes = text ? valueLength * 2 : valueLength;
        if (parent.size() == 8 && text) {  // a string under a language block such as "040904B0"
            const std::size_t characters = valueLength > 0 ? valueLength - 1 : 0;
            info.strings.emplace_back(key, latin1(block, value, characters));
        }
        for (std::size_t child = align(value + valueBytes); child + 6 < node + length && u16(child) != 0;
             child = align(child + u16(child))) {
            self(self, child, key);
        }
    };
    if (block.size() < 6) {
        return std::nullopt;
    }
    walk(walk, 0, "");
    return parsedFixed ? std::optional(info) : std::nullopt;
}

}  // namespace pe
