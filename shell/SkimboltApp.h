// CSkimboltApp: the desktop application object.
#pragma once

#include <wx/app.h>

class CSkimboltApp : public wxApp {
public:
    bool OnInit() override;
};

wxDECLARE_APP(CSkimboltApp);
