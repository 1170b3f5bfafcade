#include "kit/Executables.h"

#include "exe/CursorFormat.h"
#include "exe/MzFormat.h"
#include "exe/NeFormat.h"

#include <algorithm>

namespace glyphor::kit {

using namespace exe;

namespace {

std::size_t Align(std::size_t v, std::size_t a)
{
    return (v + a - 1) / a * a;
}

// The DOS header of a later executable: a stub that leads to the real header.
constexpr std::size_t kNewHeaderAt = sizeof(DosHeader);

void PlaceDosHeader(Bytes& f)
{
    DosHeader dos {};
    dos.magic = kMzMagic;
    dos.newHeaderOffset = kNewHeaderAt;
    Place(f, 0, dos);
}

template <class T> std::vector<T> NamedFirst(std::vector<T> v)
{
    std::stable_partition(v.begin(), v.end(), [](const T& x) { return x.id.named(); });
    return v;
}

template <class T> std::size_t CountNamed(const std::vector<T>& v)
{
    return static_cast<std::size_t>(
        std::count_if(v.begin(), v.end(), [](const T& x) { return x.id.named(); }));
}

struct LangNode {
    std::uint16_t language;
    const Bytes* data;
};
struct NameNode {
    ResId id;
    std::vector<LangNode> languages;
};
struct TypeNode {
    ResId id;
    std::vector<NameNode> names;
};

// The resource tree as the file stores it, in one section that will be mapped
// at rva: the root, the name directories, the language directories, the data
// entries, the name strings, then the data.
class ResourceSection {
public:
    ResourceSection(const std::vector<TypeNode>& types, std::uint32_t rva)
        : m_rva(rva)
    {
        std::size_t at = DirectorySize(types.size());
        for (const TypeNode& t : types) {
            m_nameDirAt.push_back(at);
            at += DirectorySize(t.names.size());
        }
        std::vector<std::vector<std::size_t>> languageDirAt(types.size());
        for (std::size_t i = 0; i < types.size(); ++i)
            for (const NameNode& n : types[i].names) {
                languageDirAt[i].push_back(at);
                at += DirectorySize(n.languages.size());
            }
        std::vector<std::vector<std::size_t>> dataEntryAt(types.size());
        for (std::size_t i = 0; i < types.size(); ++i)
            for (const NameNode& n : types[i].names) {
                dataEntryAt[i].push_back(at);
                at += n.languages.size() * sizeof(ResourceDataEntry);
            }
        m_bytes.resize(at);

        PlaceDirectory(0, types);
        std::vector<std::pair<std::size_t, const Bytes*>> pending;
        for (std::size_t i = 0; i < types.size(); ++i) {
            PlaceEntry(0, i, NameField(types[i].id),
                ResourceDirectoryEntry::kHighBit | Offset(m_nameDirAt[i]));
            const auto& names = types[i].names;
            PlaceDirectory(m_nameDirAt[i], names);
            for (std::size_t j = 0; j < names.size(); ++j) {
                PlaceEntry(m_nameDirAt[i], j, NameField(names[j].id),
                    ResourceDirectoryEntry::kHighBit | Offset(languageDirAt[i][j]));
                const auto& languages = names[j].languages;
                ResourceDirectory directory {};
                directory.numberOfIdEntries = static_cast<std::uint16_t>(languages.size());
                Place(m_bytes, languageDirAt[i][j], directory);
                for (std::size_t k = 0; k < languages.size(); ++k) {
                    const std::size_t entry = dataEntryAt[i][j] + k * sizeof(ResourceDataEntry);
                    PlaceEntry(languageDirAt[i][j], k, languages[k].language, Offset(entry));
                    pending.push_back({ entry, languages[k].data });
                }
            }
        }
        for (auto& [entry, data] : pending) {
            m_bytes.resize(Align(m_bytes.size(), 4));
            ResourceDataEntry leaf {};
            leaf.dataRva = m_rva + Offset(m_bytes.size());
            leaf.size = static_cast<std::uint32_t>(data->size());
            Place(m_bytes, entry, leaf);
            m_bytes.insert(m_bytes.end(), data->begin(), data->end());
        }
    }

    const Bytes& bytes() const { return m_bytes; }
    std::size_t firstNameDirectory() const { return m_nameDirAt.empty() ? 0 : m_nameDirAt[0]; }

private:
    static std::size_t DirectorySize(std::size_t entries)
    {
        return sizeof(ResourceDirectory) + entries * sizeof(ResourceDirectoryEntry);
    }
    static std::uint32_t Offset(std::size_t at) { return static_cast<std::uint32_t>(at); }

    template <class Node> void PlaceDirectory(std::size_t at, const std::vector<Node>& entries)
    {
        ResourceDirectory directory {};
        directory.numberOfNamedEntries = static_cast<std::uint16_t>(CountNamed(entries));
        directory.numberOfIdEntries
            = static_cast<std::uint16_t>(entries.size() - CountNamed(entries));
        Place(m_bytes, at, directory);
    }
    void PlaceEntry(
        std::size_t directory, std::size_t index, std::uint32_t name, std::uint32_t target)
    {
        ResourceDirectoryEntry entry {};
        entry.name = name;
        entry.target = target;
        Place(m_bytes, directory + DirectorySize(index), entry);
    }
    // A number as it stands, a name as the offset of its string, which is
    // added at the end: its length, then its UTF-16 units.
    std::uint32_t NameField(const ResId& id)
    {
        if (!id.named())
            return id.id;
        const std::uint32_t at = Offset(m_bytes.size());
        Put16(m_bytes, static_cast<std::uint16_t>(id.name.size()));
        for (char16_t c : id.name)
            Put16(m_bytes, c);
        return ResourceDirectoryEntry::kHighBit | at;
    }

    std::uint32_t m_rva;
    Bytes m_bytes;
    std::vector<std::size_t> m_nameDirAt;
};

} // namespace

Bytes BuildPe(const std::vector<PeResource>& resources, bool pe32plus, PeLayout* layout)
{
    // Gather the tree in the order given.
    std::vector<TypeNode> types;
    for (const PeResource& r : resources) {
        auto t = std::find_if(types.begin(), types.end(), [&](auto& x) { return x.id == r.type; });
        if (t == types.end())
            t = types.insert(types.end(), TypeNode { r.type, {} });
        auto n = std::find_if(
            t->names.begin(), t->names.end(), [&](auto& x) { return x.id == r.name; });
        if (n == t->names.end())
            n = t->names.insert(t->names.end(), NameNode { r.name, {} });
        n->languages.push_back({ r.language, &r.data });
    }
    types = NamedFirst(types);
    for (TypeNode& t : types)
        t.names = NamedFirst(t.names);

    constexpr std::uint32_t kRva = 0x1000;
    constexpr std::size_t kFileAlignment = 0x200;
    constexpr std::uint32_t kDirectories = 16;
    const ResourceSection section(types, kRva);
    const std::size_t virtualSize = section.bytes().size();
    Bytes sec = section.bytes();
    sec.resize(Align(sec.size(), kFileAlignment));

    // Headers: DOS header, PE signature, file header, optional header with
    // its data directories, one section header; padded to the file alignment.
    Bytes f(kFileAlignment);
    PlaceDosHeader(f);
    Place(f, kNewHeaderAt, PeSignature { kPeMagic });
    const std::size_t fileHeaderAt = kNewHeaderAt + sizeof(PeSignature);
    const std::size_t optionalAt = fileHeaderAt + sizeof(CoffFileHeader);
    const std::size_t directoriesAt
        = optionalAt + (pe32plus ? sizeof(OptionalHeader64) : sizeof(OptionalHeader32));
    const std::size_t sectionAt = directoriesAt + kDirectories * sizeof(DataDirectory);

    CoffFileHeader fileHeader {};
    fileHeader.machine = pe32plus ? 0x8664 : 0x14C;
    fileHeader.numberOfSections = 1;
    fileHeader.sizeOfOptionalHeader = static_cast<std::uint16_t>(sectionAt - optionalAt);
    Place(f, fileHeaderAt, fileHeader);
    if (pe32plus) {
        OptionalHeader64 optional {};
        optional.magic = kPe32PlusMagic;
        optional.numberOfRvaAndSizes = kDirectories;
        Place(f, optionalAt, optional);
    } else {
        OptionalHeader32 optional {};
        optional.magic = kPe32Magic;
        optional.numberOfRvaAndSizes = kDirectories;
        Place(f, optionalAt, optional);
    }
    Place(f, directoriesAt + kResourceDirectoryIndex * sizeof(DataDirectory),
        DataDirectory { kRva, static_cast<std::uint32_t>(virtualSize) });
    SectionHeader header {};
    std::copy_n(".rsrc", 5, header.name);
    header.virtualSize = static_cast<std::uint32_t>(virtualSize);
    header.virtualAddress = kRva;
    header.sizeOfRawData = static_cast<std::uint32_t>(sec.size());
    header.pointerToRawData = kFileAlignment;
    Place(f, sectionAt, header);

    if (layout) {
        layout->fileHeader = fileHeaderAt;
        layout->optionalHeader = optionalAt;
        layout->dataDirectories = directoriesAt;
        layout->sectionHeader = sectionAt;
        layout->rsrcOffset = kFileAlignment;
        layout->rsrcRva = kRva;
        layout->typeDirectoryOffsets = section.firstNameDirectory();
    }
    f.insert(f.end(), sec.begin(), sec.end());
    return f;
}

std::vector<PeResource> IconResources(
    const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images)
{
    std::vector<PeResource> res { { ResId::Id(kGroupIconResourceType), ResId::Id(1), 1033,
        MakeGroup(entries) } };
    for (std::size_t i = 0; i < images.size(); ++i)
        res.push_back({ ResId::Id(kIconResourceType), ResId::Id(static_cast<std::uint16_t>(i + 1)),
            1033, images[i] });
    return res;
}

Bytes PeWithIcon(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images)
{
    return BuildPe(IconResources(entries, images));
}

Bytes PeWithOneIcon(int seed)
{
    return PeWithIcon({ { 32, 32, 4, 1 } }, { PatternDib(32, 32, 4, seed) });
}

Bytes PeWithLargeIcons(int count, int firstSeed)
{
    std::vector<PeResource> res;
    for (int i = 1; i <= count; ++i) {
        const auto id = static_cast<std::uint16_t>(i);
        res.push_back({ ResId::Id(kGroupIconResourceType), ResId::Id(id), 1033,
            MakeGroup({ { 64, 64, 32, id } }) });
        res.push_back({ ResId::Id(kIconResourceType), ResId::Id(id), 1033,
            PatternDib(64, 64, 32, firstSeed + i - 1) });
    }
    return BuildPe(res);
}

Bytes BuildNeTypes(const std::vector<NeType>& types, std::uint16_t alignShift,
    std::vector<std::size_t>* typeRecords)
{
    const std::size_t unit = std::size_t { 1 } << alignShift;
    // After the NE header: the resource table (the shift, each type's record
    // followed by its resources' records, the closing 0), the names of the
    // named resources, and an empty resident-name table. The data follow at
    // the next alignment unit.
    std::size_t resources = 0;
    for (const NeType& t : types)
        resources += t.resources.size();
    const std::size_t tableAt = kNewHeaderAt + sizeof(NeHeader);
    const std::size_t tableSize = sizeof(NeResourceTableHeader) + types.size() * sizeof(NeTypeInfo)
        + resources * sizeof(NeNameInfo) + sizeof(LeU16);
    Bytes names;
    std::vector<std::vector<std::uint16_t>> nameIds(types.size());
    for (std::size_t t = 0; t < types.size(); ++t)
        for (const NeResource& r : types[t].resources) {
            if (r.name.named()) {
                // A name is the offset of its string from the start of the table.
                nameIds[t].push_back(static_cast<std::uint16_t>(tableSize + names.size()));
                names.push_back(static_cast<std::uint8_t>(r.name.name.size()));
                for (char16_t c : r.name.name)
                    names.push_back(static_cast<std::uint8_t>(c));
            } else {
                nameIds[t].push_back(
                    static_cast<std::uint16_t>(NeTypeInfo::kIntegerId | r.name.id));
            }
        }
    const std::size_t residentNamesAt = tableAt + tableSize + names.size();
    const std::size_t dataAt = Align(residentNamesAt + 1, unit);

    Bytes data;
    auto record = [&](const Bytes& d, std::uint16_t id) {
        NeNameInfo info {};
        info.offset = static_cast<std::uint16_t>((dataAt + data.size()) >> alignShift);
        info.length = static_cast<std::uint16_t>(Align(d.size(), unit) >> alignShift);
        info.id = id;
        data.insert(data.end(), d.begin(), d.end());
        data.resize(Align(data.size(), unit));
        return info;
    };
    Bytes table;
    AppendRecord(table, NeResourceTableHeader { alignShift });
    for (std::size_t t = 0; t < types.size(); ++t) {
        if (typeRecords)
            typeRecords->push_back(tableAt + table.size());
        const auto& list = types[t].resources;
        AppendRecord(
            table, NeTypeInfo { types[t].typeId, static_cast<std::uint16_t>(list.size()), 0 });
        for (std::size_t i = 0; i < list.size(); ++i)
            AppendRecord(table, record(list[i].data, nameIds[t][i]));
    }
    Put16(table, 0);

    Bytes f(tableAt);
    PlaceDosHeader(f);
    NeHeader header {};
    header.magic = kNeMagic;
    header.resourceTableOffset = static_cast<std::uint16_t>(tableAt - kNewHeaderAt);
    header.residentNamesOffset = static_cast<std::uint16_t>(residentNamesAt - kNewHeaderAt);
    Place(f, kNewHeaderAt, header);
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), names.begin(), names.end());
    f.push_back(0); // the empty resident-name table
    f.resize(dataAt);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

Bytes BuildNe(const std::vector<NeResource>& groups, const std::vector<NeResource>& icons,
    std::uint16_t alignShift, NeLayout* layout)
{
    std::vector<std::size_t> records;
    Bytes f = BuildNeTypes(
        { { kNeGroupIconType, groups }, { kNeIconType, icons } }, alignShift, &records);
    if (layout) {
        layout->header = kNewHeaderAt;
        layout->table = kNewHeaderAt + sizeof(NeHeader);
        layout->groupType = records[0];
        layout->iconType = records[1];
    }
    return f;
}

Bytes MakeCursorGroup(const std::vector<CursorEntry>& entries)
{
    IconDirHeader header {};
    header.type = 2;
    header.count = static_cast<std::uint16_t>(entries.size());
    Bytes b;
    AppendRecord(b, header);
    for (const CursorEntry& e : entries) {
        GroupCursorDirEntry entry {};
        entry.width = static_cast<std::uint16_t>(e.width);
        entry.height = static_cast<std::uint16_t>(2 * e.height);
        entry.planes = 1;
        entry.bitCount = 1;
        entry.bytesInRes = e.bytes;
        entry.id = e.id;
        AppendRecord(b, entry);
    }
    return b;
}

Bytes CursorImage(std::uint16_t x, std::uint16_t y, const Bytes& image)
{
    Bytes b;
    AppendRecord(b, CursorHotSpot { x, y });
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

Bytes CutAtImage(const Bytes& file, const Bytes& image, std::size_t keep)
{
    const auto at = std::search(file.begin(), file.end(), image.begin(), image.end());
    if (at == file.end())
        return file;
    const auto kept = std::min<std::size_t>(keep, image.size());
    return Bytes(file.begin(), at + static_cast<std::ptrdiff_t>(kept));
}

Bytes PeWithImageBeyondTheEnd(int seed)
{
    return CutAtImage(PeWithOneIcon(seed), PatternDib(32, 32, 4, seed));
}

} // namespace glyphor::kit
