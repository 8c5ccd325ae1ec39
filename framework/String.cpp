// CString operations.
#include "framework/String.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

CString::CString(const char* ansi) {
    if (ansi) *this = FromAnsi(ansi, static_cast<int>(strlen(ansi)));
}

CString CString::FromAnsi(const char* bytes, int length) {
    CString result;
    if (!bytes || length <= 0) return result;
    int units = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
    if (units <= 0) return result;
    result.m_text.resize(units);
    MultiByteToWideChar(CP_ACP, 0, bytes, length, &result.m_text[0], units);
    return result;
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0) start = 0;
    if (start >= GetLength()) return -1;
    size_t pos = m_text.find(ch, start);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const wchar_t* sub, int start) const {
    if (!sub) return -1;
    if (start < 0) start = 0;
    if (start > GetLength()) return -1;
    size_t pos = m_text.find(sub, start);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
    size_t pos = m_text.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength() - first);
}

CString CString::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first >= GetLength() || count <= 0) return CString();
    if (count > GetLength() - first) count = GetLength() - first;
    return CString(m_text.c_str() + first, count);
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return Mid(GetLength() - count, count);
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_text.size() && iswspace(m_text[i])) ++i;
    m_text.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_text.size();
    while (n > 0 && iswspace(m_text[n - 1])) --n;
    m_text.resize(n);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::MakeUpper() {
    for (wchar_t& c : m_text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return *this;
}

CString& CString::MakeLower() {
    for (wchar_t& c : m_text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return *this;
}

int CString::Replace(const wchar_t* old, const wchar_t* replacement) {
    if (!old || !*old) return 0;
    std::wstring with = replacement ? replacement : L"";
    size_t oldLength = wcslen(old);
    int count = 0;
    for (size_t pos = m_text.find(old); pos != std::wstring::npos; pos = m_text.find(old, pos + with.size())) {
        m_text.replace(pos, oldLength, with);
        ++count;
    }
    return count;
}

int CString::Replace(wchar_t old, wchar_t replacement) {
    int count = 0;
    for (wchar_t& c : m_text)
        if (c == old) { c = replacement; ++count; }
    return count;
}

int CString::Insert(int index, const wchar_t* text) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    if (text) m_text.insert(index, text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) m_text.erase(index, count);
    return GetLength();
}

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    va_list probe;
    va_copy(probe, args);
    int needed = _vscwprintf(format, probe);
    va_end(probe);
    if (needed < 0) {
        m_text.clear();
    } else {
        std::vector<wchar_t> buffer(needed + 1);
        _vsnwprintf(buffer.data(), buffer.size(), format, args);
        m_text.assign(buffer.data(), needed);
    }
    va_end(args);
}

std::string CString::ToAnsi() const {
    std::string result;
    if (m_text.empty()) return result;
    int bytes = WideCharToMultiByte(CP_ACP, 0, m_text.data(), GetLength(), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return result;
    result.resize(bytes);
    WideCharToMultiByte(CP_ACP, 0, m_text.data(), GetLength(), &result[0], bytes, nullptr, nullptr);
    return result;
}
