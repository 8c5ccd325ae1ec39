// Window classes: CWnd (a window handle and the calls made on it), CDialog (a modeless
// dialog from a template resource, with a message map and control binding), and the two
// controls the bootstrapper binds, CProgressCtrl and CStatic.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/String.h"

class CWnd;

// Message map: a handler table per class, chained to the base class's table.
using AFX_PMSG = LRESULT (CWnd::*)(WPARAM, LPARAM);
struct AFX_MSGMAP_ENTRY {
    UINT message;
    AFX_PMSG handler;
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* base;
    const AFX_MSGMAP_ENTRY* entries;  // ends with an entry whose handler is null
};

#define DECLARE_MESSAGE_MAP()                     \
public:                                           \
    static const AFX_MSGMAP* GetThisMessageMap(); \
                                                  \
protected:                                        \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }      \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                      \
        using ThisClass = theClass;                                                        \
        using TheBaseClass = baseClass;                                                    \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define ON_MESSAGE(message, memberFn) \
    {message, static_cast<AFX_PMSG>(static_cast<LRESULT (ThisClass::*)(WPARAM, LPARAM)>(&ThisClass::memberFn))},
#define END_MESSAGE_MAP()                                                   \
    {0, nullptr}};                                                          \
    static const AFX_MSGMAP map = {TheBaseClass::GetThisMessageMap(), entries}; \
    return &map;                                                            \
    }

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL RedrawWindow(const RECT* update = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, update, region, flags);
    }
    virtual BOOL DestroyWindow();
    // Binds an existing window (a dialog's control) to this object.
    BOOL Attach(HWND window);
    HWND Detach();

    // Looks the message up in this class's map and its bases'; true when a handler ran.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static const AFX_MSGMAP* GetThisMessageMap() { return nullptr; }

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const { return nullptr; }
};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds the dialog's control with this id to the control object (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
    ~CDialog() override;

    // Creates the modeless dialog from its template resource; OnInitDialog runs inside.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx) { (void)dx; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    UINT m_templateId;
    CWnd* m_parent;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, lower, upper); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, pos, 0)); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS, 0, 0)); }
};

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP, 0)); }
};
