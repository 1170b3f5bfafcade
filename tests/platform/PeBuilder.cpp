#include "PeBuilder.h"

#include "iconfile/Palette16.h"
#include "iconfile/PngEncoder.h"

#include <algorithm>
#include <stdexcept>

namespace glyphor::testing {

namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    if (b.size() < at + 2)
        b.resize(at + 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

std::size_t Align(std::size_t v, std::size_t a) { return (v + a - 1) / a * a; }

template <class T>
std::vector<T> NamedFirst(std::vector<T> v)
{
    std::stable_partition(v.begin(), v.end(), [](const T& x) { return x.id.named(); });
    return v;
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

} // namespace

Bytes BuildPe(const std::vector<PeResource>& resources, bool pe32plus, PeLayout* layout)
{
    // Gather the tree in the order given.
    std::vector<TypeNode> types;
    for (const PeResource& r : resources) {
        auto t = std::find_if(types.begin(), types.end(), [&](auto& x) { return x.id == r.type; });
        if (t == types.end())
            t = types.insert(types.end(), TypeNode { r.type, {} });
        auto n = std::find_if(t->names.begin(), t->names.end(),
                              [&](auto& x) { return x.id == r.name; });
        if (n == t->names.end())
            n = t->names.insert(t->names.end(), NameNode { r.name, {} });
        n->languages.push_back({ r.language, &r.data });
    }
    types = NamedFirst(types);
    for (TypeNode& t : types)
        t.names = NamedFirst(t.names);

    // Offsets inside the section: root, name directories, language
    // directories, data entries, strings, data.
    auto dirSize = [](std::size_t n) { return 16 + 8 * n; };
    std::size_t at = dirSize(types.size());
    std::vector<std::size_t> typeDirAt;
    for (const TypeNode& t : types) {
        typeDirAt.push_back(at);
        at += dirSize(t.names.size());
    }
    std::vector<std::vector<std::size_t>> langDirAt(types.size());
    for (std::size_t i = 0; i < types.size(); ++i)
        for (const NameNode& n : types[i].names) {
            langDirAt[i].push_back(at);
            at += dirSize(n.languages.size());
        }
    std::vector<std::vector<std::vector<std::size_t>>> entryAt(types.size());
    for (std::size_t i = 0; i < types.size(); ++i)
        for (const NameNode& n : types[i].names) {
            entryAt[i].emplace_back();
            for (std::size_t k = 0; k < n.languages.size(); ++k) {
                entryAt[i].back().push_back(at);
                at += 16;
            }
        }

    Bytes sec(at);
    auto putString = [&](const std::u16string& s) {
        const std::size_t o = sec.size();
        Put16(sec, o, static_cast<std::uint32_t>(s.size()));
        for (std::size_t k = 0; k < s.size(); ++k)
            Put16(sec, o + 2 + 2 * k, s[k]);
        return o;
    };
    auto nameField = [&](const ResId& id) -> std::uint32_t {
        return id.named() ? 0x80000000u | static_cast<std::uint32_t>(putString(id.name)) : id.id;
    };
    auto putDirHeader = [&](std::size_t o, std::size_t named, std::size_t ids) {
        Put16(sec, o + 12, static_cast<std::uint32_t>(named));
        Put16(sec, o + 14, static_cast<std::uint32_t>(ids));
    };
    auto countNamed = [](const auto& v) {
        return static_cast<std::size_t>(
            std::count_if(v.begin(), v.end(), [](const auto& x) { return x.id.named(); }));
    };

    const std::uint32_t rva = 0x1000;
    const std::size_t nTypeNamed = countNamed(types);
    putDirHeader(0, nTypeNamed, types.size() - nTypeNamed);
    std::vector<std::pair<std::size_t, const Bytes*>> pendingData;
    for (std::size_t i = 0; i < types.size(); ++i) {
        Put32(sec, 16 + 8 * i, nameField(types[i].id));
        Put32(sec, 16 + 8 * i + 4, 0x80000000u | static_cast<std::uint32_t>(typeDirAt[i]));
        const auto& names = types[i].names;
        const std::size_t nn = countNamed(names);
        putDirHeader(typeDirAt[i], nn, names.size() - nn);
        for (std::size_t j = 0; j < names.size(); ++j) {
            Put32(sec, typeDirAt[i] + 16 + 8 * j, nameField(names[j].id));
            Put32(sec, typeDirAt[i] + 16 + 8 * j + 4,
                  0x80000000u | static_cast<std::uint32_t>(langDirAt[i][j]));
            putDirHeader(langDirAt[i][j], 0, names[j].languages.size());
            for (std::size_t k = 0; k < names[j].languages.size(); ++k) {
                Put32(sec, langDirAt[i][j] + 16 + 8 * k, names[j].languages[k].language);
                Put32(sec, langDirAt[i][j] + 16 + 8 * k + 4,
                      static_cast<std::uint32_t>(entryAt[i][j][k]));
                pendingData.push_back({ entryAt[i][j][k], names[j].languages[k].data });
            }
        }
    }
    for (auto& [entry, data] : pendingData) {
        sec.resize(Align(sec.size(), 4));
        Put32(sec, entry, rva + static_cast<std::uint32_t>(sec.size()));
        Put32(sec, entry + 4, static_cast<std::uint32_t>(data->size()));
        sec.insert(sec.end(), data->begin(), data->end());
    }
    const std::size_t virtualSize = sec.size();
    sec.resize(Align(sec.size(), 0x200));

    // Headers: DOS header, PE signature, COFF header, optional header with
    // 16 data directories, one section header; padded to 0x200.
    Bytes f(0x200);
    f[0] = 'M';
    f[1] = 'Z';
    Put32(f, 0x3C, 0x40);
    f[0x40] = 'P';
    f[0x41] = 'E';
    const std::size_t coff = 0x44;
    Put16(f, coff, pe32plus ? 0x8664 : 0x14C);
    Put16(f, coff + 2, 1);
    const std::size_t optSize = pe32plus ? 240 : 224;
    Put16(f, coff + 16, static_cast<std::uint32_t>(optSize));
    const std::size_t opt = coff + 20;
    Put16(f, opt, pe32plus ? 0x20B : 0x10B);
    const std::size_t dirs = opt + (pe32plus ? 112 : 96);
    Put32(f, opt + (pe32plus ? 108 : 92), 16);
    Put32(f, dirs + 16, rva);
    Put32(f, dirs + 20, static_cast<std::uint32_t>(virtualSize));
    const std::size_t sh = opt + optSize;
    const char name[8] = { '.', 'r', 's', 'r', 'c', 0, 0, 0 };
    std::copy(name, name + 8, f.begin() + static_cast<std::ptrdiff_t>(sh));
    Put32(f, sh + 8, static_cast<std::uint32_t>(virtualSize));
    Put32(f, sh + 12, rva);
    Put32(f, sh + 16, static_cast<std::uint32_t>(sec.size()));
    Put32(f, sh + 20, 0x200);
    f.resize(0x200);
    if (layout) {
        layout->rsrcOffset = 0x200;
        layout->rsrcRva = rva;
        layout->typeDirectoryOffsets = typeDirAt.empty() ? 0 : typeDirAt[0];
    }
    f.insert(f.end(), sec.begin(), sec.end());
    return f;
}

Bytes BuildNe(const std::vector<NeResource>& groups, const std::vector<NeResource>& icons,
              std::uint16_t alignShift)
{
    Bytes f(0x80);
    f[0] = 'M';
    f[1] = 'Z';
    Put32(f, 0x3C, 0x40);
    f[0x40] = 'N';
    f[0x41] = 'E';
    const std::size_t table = 0x80;
    Put16(f, 0x40 + 0x24, 0x40); // resource table, relative to the NE header

    // Resource table: shift, two type records, the terminating 0, names.
    const std::size_t records = 2 + 8 + 12 * groups.size() + 8 + 12 * icons.size() + 2;
    std::size_t namesAt = table + records;
    Bytes names;
    std::vector<std::uint16_t> nameIds;
    for (const NeResource& g : groups) {
        if (g.name.named()) {
            nameIds.push_back(static_cast<std::uint16_t>(namesAt + names.size() - table));
            names.push_back(static_cast<std::uint8_t>(g.name.name.size()));
            for (char16_t c : g.name.name)
                names.push_back(static_cast<std::uint8_t>(c));
        } else {
            nameIds.push_back(static_cast<std::uint16_t>(0x8000 | g.name.id));
        }
    }
    const std::size_t residentNames = namesAt + names.size();
    Put16(f, 0x40 + 0x26, static_cast<std::uint32_t>(residentNames - 0x40));
    Bytes t(records);
    Put16(t, 0, alignShift);
    std::size_t dataAt = Align(residentNames + 1, std::size_t { 1 } << alignShift);
    Bytes data;
    auto addData = [&](const Bytes& d) {
        const std::size_t o = dataAt + data.size();
        data.insert(data.end(), d.begin(), d.end());
        data.resize(Align(data.size(), std::size_t { 1 } << alignShift));
        return std::pair<std::uint32_t, std::uint32_t>(
            static_cast<std::uint32_t>(o >> alignShift),
            static_cast<std::uint32_t>(Align(d.size(), std::size_t { 1 } << alignShift) >> alignShift));
    };
    std::size_t p = 2;
    Put16(t, p, 0x800E);
    Put16(t, p + 2, static_cast<std::uint32_t>(groups.size()));
    p += 8;
    for (std::size_t i = 0; i < groups.size(); ++i, p += 12) {
        auto [o, l] = addData(groups[i].data);
        Put16(t, p, o);
        Put16(t, p + 2, l);
        Put16(t, p + 6, nameIds[i]);
    }
    Put16(t, p, 0x8003);
    Put16(t, p + 2, static_cast<std::uint32_t>(icons.size()));
    p += 8;
    for (const NeResource& ic : icons) {
        auto [o, l] = addData(ic.data);
        Put16(t, p, o);
        Put16(t, p + 2, l);
        Put16(t, p + 6, 0x8000u | ic.name.id);
        p += 12;
    }
    f.insert(f.end(), t.begin(), t.end());
    f.insert(f.end(), names.begin(), names.end());
    f.push_back(0); // empty resident-name table
    f.resize(dataAt);
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

Bytes MakeGroup(const std::vector<GroupEntry>& entries)
{
    Bytes b(6);
    Put16(b, 2, 1);
    Put16(b, 4, static_cast<std::uint32_t>(entries.size()));
    for (const GroupEntry& e : entries) {
        const std::size_t o = b.size();
        b.resize(o + 14);
        b[o] = static_cast<std::uint8_t>(e.width & 0xFF);
        b[o + 1] = static_cast<std::uint8_t>(e.height & 0xFF);
        b[o + 2] = e.bitCount <= 4 ? static_cast<std::uint8_t>(1u << e.bitCount) : 0;
        Put16(b, o + 4, 1);
        Put16(b, o + 6, static_cast<std::uint32_t>(e.bitCount));
        Put32(b, o + 8, e.bytes);
        Put16(b, o + 12, e.id);
    }
    return b;
}

Bytes MakeIcoFile(const std::vector<GroupEntry>& entries, const std::vector<Bytes>& images)
{
    Bytes b(6 + 16 * entries.size());
    Put16(b, 2, 1);
    Put16(b, 4, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t o = 6 + 16 * i;
        b[o] = static_cast<std::uint8_t>(entries[i].width & 0xFF);
        b[o + 1] = static_cast<std::uint8_t>(entries[i].height & 0xFF);
        Put16(b, o + 4, 1);
        Put16(b, o + 6, static_cast<std::uint32_t>(entries[i].bitCount));
        Put32(b, o + 8, static_cast<std::uint32_t>(images[i].size()));
        Put32(b, o + 12, static_cast<std::uint32_t>(b.size()));
        b.insert(b.end(), images[i].begin(), images[i].end());
    }
    return b;
}

std::uint32_t PaletteColour(int bitCount, std::uint32_t index)
{
    switch (bitCount) {
    case 1: return index ? 0xFFFFFFFFu : 0xFF000000u;
    case 4: return 0xFF000000u | kPalette16.at(index);
    case 8: return 0xFF000000u | index * 0x010101u;
    default: throw std::invalid_argument("no palette at this depth");
    }
}

Bytes MakeDib(int width, int height, int bitCount,
              const std::function<std::uint32_t(int, int)>& colour,
              const std::function<bool(int, int)>& transparent)
{
    const std::size_t colours = bitCount <= 8 ? std::size_t { 1 } << bitCount : 0;
    const std::size_t row = static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
    const std::size_t maskRow = static_cast<std::size_t>((width + 31) / 32 * 4);
    Bytes b(40 + 4 * colours);
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<std::uint32_t>(width));
    Put32(b, 8, static_cast<std::uint32_t>(height * 2));
    Put16(b, 12, 1);
    Put16(b, 14, static_cast<std::uint32_t>(bitCount));
    for (std::size_t i = 0; i < colours; ++i) {
        const std::uint32_t c = PaletteColour(bitCount, static_cast<std::uint32_t>(i));
        b[40 + 4 * i] = static_cast<std::uint8_t>(c);
        b[40 + 4 * i + 1] = static_cast<std::uint8_t>(c >> 8);
        b[40 + 4 * i + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    for (int y = height - 1; y >= 0; --y) { // bottom row first
        Bytes r(row);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = colour(x, y);
            switch (bitCount) {
            case 1: r[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8)); break;
            case 4: r[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: r[x] = static_cast<std::uint8_t>(v); break;
            case 24:
            case 32:
                for (int k = 0; k < bitCount / 8; ++k)
                    r[x * (bitCount / 8) + k] = static_cast<std::uint8_t>(v >> (8 * k));
                break;
            default: throw std::invalid_argument("depth");
            }
        }
        b.insert(b.end(), r.begin(), r.end());
    }
    for (int y = height - 1; y >= 0; --y) {
        Bytes r(maskRow);
        for (int x = 0; x < width; ++x)
            if (transparent(x, y))
                r[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), r.begin(), r.end());
    }
    return b;
}

Bytes MakePng(const IconImage& icon)
{
    auto png = EncodePng(icon);
    if (!png)
        throw std::runtime_error(png.message());
    return *png;
}

Bytes PatternDib(int width, int height, int bitCount, int seed)
{
    return MakeDib(
        width, height, bitCount,
        [&](int x, int y) -> std::uint32_t {
            const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 13 + seed * 31);
            if (bitCount <= 8)
                return v % (1u << bitCount);
            return 0xFF000000u | (v * 0x9E3779B1u & 0xFFFFFF);
        },
        [&](int x, int y) { return (x + y + seed) % 5 == 0; });
}

Bytes PeWithOneIcon(int seed)
{
    return BuildPe({ { ResId::Id(14), ResId::Id(1), 1033, MakeGroup({ { 32, 32, 4, 1 } }) },
                     { ResId::Id(3), ResId::Id(1), 1033, PatternDib(32, 32, 4, seed) } });
}

Bytes PeWithLargeIcons(int count, int firstSeed)
{
    std::vector<PeResource> res;
    for (int i = 1; i <= count; ++i) {
        const auto id = static_cast<std::uint16_t>(i);
        res.push_back({ ResId::Id(14), ResId::Id(id), 1033, MakeGroup({ { 64, 64, 32, id } }) });
        res.push_back({ ResId::Id(3), ResId::Id(id), 1033, PatternDib(64, 64, 32, firstSeed + i - 1) });
    }
    return BuildPe(res);
}

} // namespace glyphor::testing
