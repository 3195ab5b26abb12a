#include "win32/accessible.h"

#include <initguid.h>

#include <oleacc.h>

#include <string>

#include "win32/text.h"

namespace cs {

std::wstring plain_label_text(std::string_view label) {
    const std::wstring in = wide(label);
    std::wstring out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == L'&') {
            if (i + 1 < in.size() && in[i + 1] == L'&') {
                out += L'&';
                ++i;
            }
            continue;
        }
        out += in[i];
    }
    return out;
}

void name_for_assistive_tools(HWND control, std::string_view label) {
    if (control == nullptr || label.empty()) {
        return;
    }
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;
    }
    const std::wstring name = plain_label_text(label);
    services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                             name.c_str());
    services->Release();
}

} // namespace cs
