#include "ui/base/Resources.h"

#include <filesystem>

#include <wx/image.h>

#include "app/Desktop.h"

namespace {

wxBitmap LoadPng(const std::string& name) {
    const std::string path = ResourceDir() + "images/" + name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return wxBitmap();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage image;
    if (!image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) return wxBitmap();
    return wxBitmap(image);
}

}  // namespace

std::string ResourceDir() { return ProgramFilesFolder(); }

wxBitmap LoadResourceBitmap(int id) { return LoadPng("bitmap_" + std::to_string(id) + ".png"); }

wxIcon LoadResourceIcon(int id) {
    wxIcon icon;
    icon.CopyFromBitmap(LoadPng("icon_" + std::to_string(id) + ".png"));
    return icon;
}

wxIconBundle LoadResourceIconBundle(int id) {
    wxIconBundle bundle;
    for (const char* suffix : {"_16", ""}) {
        const wxBitmap bitmap = LoadPng("icon_" + std::to_string(id) + suffix + ".png");
        if (!bitmap.IsOk()) continue;
        wxIcon icon;
        icon.CopyFromBitmap(bitmap);
        bundle.AddIcon(icon);
    }
    return bundle;
}
