// CString: a counted UTF-16 string with the operations the bootstrapper uses.
// Positions are 0-based indices into UTF-16 units; searches return -1 when nothing is found.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_text(text, text + length) {}
    CString(wchar_t ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}
    // Converts from the system's ANSI code page.
    explicit CString(const char* ansi);
    static CString FromAnsi(const char* bytes, int length);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    wchar_t GetAt(int index) const { return m_text[index]; }
    wchar_t operator[](int index) const { return m_text[index]; }
    operator const wchar_t*() const { return m_text.c_str(); }
    const wchar_t* GetString() const { return m_text.c_str(); }

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    // Trimming removes characters for which iswspace is true.
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();

    // Case conversion touches the letters A to Z only; every other character stays.
    CString& MakeUpper();
    CString& MakeLower();

    int Replace(const wchar_t* old, const wchar_t* replacement);
    int Replace(wchar_t old, wchar_t replacement);
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count = 1);

    void Format(const wchar_t* format, ...);

    // The text in the system's ANSI code page (characters it lacks become its default character).
    std::string ToAnsi() const;

    CString& operator=(const wchar_t* text) { m_text = text ? text : L""; return *this; }
    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    CString& operator+=(const wchar_t* text) { if (text) m_text += text; return *this; }
    CString& operator+=(wchar_t ch) { m_text += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
    friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, wchar_t b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_text == (b ? b : L""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

    const std::wstring& str() const { return m_text; }

private:
    std::wstring m_text;
};
