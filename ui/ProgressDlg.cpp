// The progress window: banner, title and bar at start, progress messages, range, and the
// JPEG banner decoded through the OLE picture loader.
#include "ui/ProgressDlg.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <objidl.h>

#include <climits>

#include "transfer/Progress.h"

namespace {

const wchar_t kTitle[] = L"Quillmoor's Projects";
const wchar_t kProblemTitle[] = L"Quillmoor's Projects: problem";
const wchar_t kBannerType[] = L"ImageJPG";

// The bar's range and position until SetProgressRange.
const short kInitialRangeHigh = 100;
const int kInitialPosition = 1;

// OLEPRO32.DLL exports its picture loader (OleLoadPicture) by ordinal 251.
const wchar_t kPictureLibrary[] = L"OLEPRO32.DLL";
const WORD kOleLoadPictureOrdinal = 251;
using OleLoadPictureFn = HRESULT(WINAPI*)(IStream*, LONG, BOOL, REFIID, void**);

// Owners of what the banner loader obtains, released in reverse order of acquisition.
struct GlobalBlock {
    HGLOBAL handle;
    ~GlobalBlock() { if (handle) GlobalFree(handle); }
};
struct Library {
    HMODULE handle;
    ~Library() { if (handle) FreeLibrary(handle); }
};
template <class T>
struct ComRef {
    T* ptr = nullptr;
    ~ComRef() { if (ptr) ptr->Release(); }
};

}  // namespace

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
    ON_MESSAGE(WM_SETUP_PROGRESS, OnProgress)
END_MESSAGE_MAP()

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS) {}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::InitControls() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
}

BOOL CProgressDlg::Create(UINT templateId, CWnd* parent) {
    InitControls();
    return CDialog::Create(templateId, parent);
}

void CProgressDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS, m_progress);
    DDX_Control(dx, IDC_BANNER, m_banner);
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    BringToForeground(m_hWnd);

    // The banner fills the area of the black frame, measured in this window's pixels.
    RECT area = {};
    HWND frame = GetDlgItem(IDC_BANNER_AREA);
    ::GetWindowRect(frame, &area);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
    HBITMAP banner = LoadJpegBanner(IDR_BANNER_JPEG, area.right - area.left, area.bottom - area.top);
    if (banner) m_banner.SetBitmap(banner);
    SetWindowText(banner ? kTitle : kProblemTitle);

    m_progress.SetRange(0, kInitialRangeHigh);
    m_progress.SetPos(kInitialPosition);
    return TRUE;
}

LRESULT CProgressDlg::OnProgress(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    // The control clamps to its range; only keep the sum itself from overflowing an int.
    long long position = static_cast<long long>(m_progress.GetPos()) + static_cast<long long>(wParam);
    // The control would paint itself for the new position and then be painted again below,
    // once per read: with its drawing switched off around the change, it is painted once.
    m_progress.SendMessage(WM_SETREDRAW, FALSE);
    m_progress.SetPos(position > INT_MAX ? INT_MAX : static_cast<int>(position));
    m_progress.SendMessage(WM_SETREDRAW, TRUE);
    // No message loop runs while downloads go on: paint the bar before returning.
    m_progress.Invalidate(TRUE);
    m_progress.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return 0;
}

void CProgressDlg::SetProgressRange(int total) {
    m_total = total;
    m_progress.SetRange32(0, total);
}

HBITMAP CProgressDlg::LoadJpegBanner(UINT id, int width, int height) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), kBannerType);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return nullptr;
    const void* bytes = LockResource(loaded);
    if (!bytes) return nullptr;
    DWORD size = SizeofResource(module, found);

    // Declared first so that it is freed last, after the picture object it made.
    Library olepro = {LoadLibraryW(kPictureLibrary)};
    ComRef<IPicture> picture;
    {
        // The stream reads a global memory copy of the picture, freed right after decoding.
        GlobalBlock block = {GlobalAlloc(GPTR, size)};
        if (!block.handle) return nullptr;
        CopyMemory(block.handle, bytes, size);  // GPTR memory: the handle is the pointer
        ComRef<IStream> stream;
        if (FAILED(CreateStreamOnHGlobal(block.handle, FALSE, &stream.ptr)) || !stream.ptr) return nullptr;
        FARPROC entry = olepro.handle ? GetProcAddress(olepro.handle, MAKEINTRESOURCEA(kOleLoadPictureOrdinal))
                                      : nullptr;
        if (!entry) return nullptr;
        auto load = reinterpret_cast<OleLoadPictureFn>(reinterpret_cast<void (*)()>(entry));
        // Size 0: read the stream to its end. Not run mode.
        if (FAILED(load(stream.ptr, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture.ptr)))) {
            if (picture.ptr) picture.ptr->Release();
            picture.ptr = nullptr;
        }
    }
    if (!picture.ptr) return nullptr;

    OLE_HANDLE handle = 0;
    if (FAILED(picture.ptr->get_Handle(&handle)) || !handle) return nullptr;
    // OLE_HANDLE is 32 bits wide; GDI handles fit and are sign-extended on 64-bit Windows.
    HBITMAP source = reinterpret_cast<HBITMAP>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
    // The copy is ours; the picture's own bitmap goes with the picture object.
    return static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, width, height, LR_DEFAULTCOLOR));
}

void CProgressDlg::BringToForeground(HWND window) {
    DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD thisThread = GetCurrentThreadId();
    AttachThreadInput(thisThread, foregroundThread, TRUE);
    SetForegroundWindow(window);
    SetFocus(window);
    AttachThreadInput(thisThread, foregroundThread, FALSE);
}
