// CWnd, CDialog and control binding.
#include "framework/Wnd.h"

#include "framework/WinApp.h"

CString CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return CString();
    std::wstring buffer(length + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, &buffer[0], length + 1);
    return CString(buffer.c_str(), got);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    BOOL done = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return done;
}

BOOL CWnd::Attach(HWND window) {
    if (m_hWnd || !window) return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

bool CWnd::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base) {
        for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->handler; ++entry) {
            if (entry->message == message) {
                result = (this->*(entry->handler))(wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    control.Attach(::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id));
}

CDialog::~CDialog() {
    // Child control objects only borrow their windows; the dialog window goes with us.
    if (m_hWnd) {
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    m_parent = parent;
    CWinApp* app = AfxGetApp();
    HINSTANCE instance = app && app->GetInstanceHandle() ? app->GetInstanceHandle() : GetModuleHandleW(nullptr);
    HWND owner = parent ? parent->m_hWnd : nullptr;
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = window;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    LRESULT result = 0;
    if (self->DispatchMessageMap(message, wParam, lParam, result)) {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
