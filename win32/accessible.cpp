#include "win32/accessible.h"

#include <initguid.h>

#include <oleacc.h>

#include <string>

#include "resources/templates.h"
#include "win32/text.h"

namespace cs {

void name_for_assistive_tools(HWND control, std::string_view label) {
    if (control == nullptr || label.empty()) {
        return;
    }
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;
    }
    const std::wstring name = wide(plain_label(label));
    services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                             name.c_str());
    services->Release();
}

} // namespace cs
