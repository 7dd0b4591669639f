#include "app/source_document.h"

std::string FileTitle(const std::string& path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void CSourceDocument::TakePath(const std::string& path)
{
    path_ = path;
    doc_.SetTitle(FileTitle(path));
}

bool CSourceDocument::Load(const std::string& path)
{
    if (!doc_.Load(path)) {
        return false;
    }
    TakePath(path);
    return true;
}

bool CSourceDocument::Save()
{
    return !path_.empty() && doc_.Save(path_);
}

bool CSourceDocument::SaveAs(const std::string& path)
{
    if (!doc_.Save(path)) {
        return false;
    }
    TakePath(path);
    return true;
}

bool CSourceDocument::Restore(const std::string& path, std::string_view text)
{
    if (!doc_.LoadText(text)) {
        return false;
    }
    if (!path.empty()) {
        TakePath(path);
    }
    doc_.SetModified(true);
    return true;
}
