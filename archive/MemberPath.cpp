#include "archive/MemberPath.h"

namespace glyphor::archive {

MemberPath MemberPath::member(std::string name, std::size_t position) const
{
    MemberPath inner = *this;
    inner.m_parts.push_back(std::move(name));
    inner.m_positions.push_back(position);
    return inner;
}

std::string DisplayMemberPath(const MemberPath& path)
{
    std::string text = path.parts().front();
    for (std::size_t i = 1; i < path.parts().size(); ++i) {
        text += kMemberSeparator;
        text += path.parts()[i];
    }
    return text;
}

} // namespace glyphor::archive
