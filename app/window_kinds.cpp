#include "app/window_kinds.h"

namespace {

template <typename Pred> const WindowKindInfoType* FindKind(Pred pred)
{
    for (const WindowKindInfoType& info : kWindowKinds) {
        if (pred(info)) {
            return &info;
        }
    }
    return nullptr;
}

} // namespace

const WindowKindInfoType& KindInfo(WindowKind kind)
{
    return kWindowKinds[static_cast<size_t>(kind)];
}

const WindowKindInfoType* FindKindByDocumentName(std::string_view documentName)
{
    return FindKind(
        [&](const WindowKindInfoType& info) { return documentName == info.documentName; });
}

const WindowKindInfoType* FindKindByResourceId(int resourceId)
{
    return FindKind([&](const WindowKindInfoType& info) { return info.resourceId == resourceId; });
}

const WindowKindInfoType* FindKindByShortNameId(int shortNameId)
{
    return FindKind(
        [&](const WindowKindInfoType& info) { return info.shortNameId == shortNameId; });
}

std::string DocumentString(WindowKind kind)
{
    if (kind == WindowKind::kSource) {
        return "\n8051\n8051\n8051 Source Files (*.a51)\n.a51\nSource8051.Document\n"
               "8051 Source Document";
    }
    std::string name = KindInfo(kind).documentName;
    return "\n" + name + "\n" + name + "\n\n\n" + name + "\n" + name + " Window";
}
