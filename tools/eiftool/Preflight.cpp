// eiftool preflight: asks the live servers what a run will ask them before it downloads,
// and judges the answers with the run's own thresholds: the description on each download
// host, the choice of the site, every listed file's announced size at every site, the total
// the progress bar will show, and error pages that announce a size in a missing file's place.
#include <algorithm>
#include <vector>

#include "app/Hosts.h"
#include "app/Messages.h"
#include "app/Thresholds.h"
#include "fs/RelativePath.h"
#include "tools/eiftool/Arguments.h"
#include "tools/eiftool/CheckedDescription.h"
#include "tools/eiftool/Commands.h"
#include "tools/eiftool/Console.h"
#include "tools/eiftool/Files.h"
#include "tools/eiftool/ReaderLoad.h"
#include "transfer/Connection.h"
#include "transfer/ErrorPage.h"
#include "transfer/Internet.h"

using std::wstring;
using namespace setup_text;

namespace {

// The most bytes of a host's description that are fetched to compare it with the file given.
constexpr size_t kDescriptionFetchLimit = 1 << 20;

// The first bytes of url (at most limit), read with the run's connection settings; empty
// when the URL does not open.
std::string FetchStart(const CString& url, size_t limit) {
    CInternetHandle session(OpenInternetSession());
    if (!session) return std::string();
    CInternetHandle request(OpenInternetUrl(session.Get(), url));
    if (!request) return std::string();
    std::string bytes;
    char buffer[kReadBufferSize];
    DWORD got = 0;
    while (bytes.size() < limit &&
           InternetReadFile(request.Get(), buffer, static_cast<DWORD>(std::min(sizeof buffer, limit - bytes.size())),
                            &got) &&
           got > 0)
        bytes.append(buffer, got);
    return bytes;
}

// The downloader's error-page test over the first read buffer of a file.
bool StartsWithErrorPage(const std::string& start) {
    char buffer[kReadBufferSize] = {};
    std::copy_n(start.data(), std::min(start.size(), sizeof buffer), buffer);
    return IsErrorPage(buffer);
}

// What one URL announces, and whether its first bytes are an error page.
struct Probe {
    int size = 0;  // announced, as the run compares and adds it (signed 32 bits)
    bool errorPage = false;
};

Probe ProbeUrl(const CString& url) {
    Probe probe;
    probe.size = static_cast<int>(GetRemoteFileSize(url));
    if (probe.size > 0) probe.errorPage = StartsWithErrorPage(FetchStart(url, kReadBufferSize));
    return probe;
}

wstring Padded(wstring text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}

wstring TrimmedRight(wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

wstring Cell(const Probe& probe) {
    if (probe.size == 0) return L"missing";
    return std::to_wstring(probe.size) + (probe.errorPage ? L" error page" : L"");
}

struct ListedFile {
    CString source;
    CString destination;
};

class CPreflight {
public:
    CPreflight(const wstring& path, const DescriptionSource& source, const wstring& application,
               const std::vector<wstring>& hosts)
        : m_path(path), m_source(source), m_application(application), m_hosts(hosts) {}

    int Run() {
        bool loaded = false;
        wstring error;
        if (!LoadStoredDescription(m_reader, m_source.stored, loaded, error)) {
            if (!loaded) return Fail(kExitFailed, L"preflight: " + error);
            Say(m_path + L": the description does not load (see eiftool lint " + m_path + L")");
            return Verdict(kDescriptionFailed);
        }
        if (!IsInternetConnected()) return Verdict(kNoConnection);
        if (!CheckHosts()) return Verdict(m_failure);
        CheckFiles();
        return Verdict(m_failure);
    }

private:
    int Verdict(const wstring& failure) {
        if (!failure.empty()) {
            Say(L"\nA run would fail: \"" + failure + L"\"");
            return kExitFailed;
        }
        Say(L"\nA run would succeed.");
        return 0;
    }

    // The description on each download host, judged as a run judges it: the first host that
    // announces at least the minimum is downloaded from.
    bool CheckHosts() {
        if (m_application.empty()) {
            Say(L"Download hosts: not asked (give --app NAME, the application name of Setup_NAME_1.exe)");
            return true;
        }
        wstring folder = kDefaultServerFolder + m_application + L"/" + kDescriptionFile;
        Say(L"Description " + folder + L" on the download hosts (present from " +
            std::to_wstring(kDescriptionMinimumSize) + L" bytes):");
        Say(L"  " + Padded(L"host", 32) + Padded(L"announced", 12) + L"verdict");
        bool chosen = false;
        for (const wstring& host : m_hosts) {
            CString url = CString(kScheme) + host.c_str() + folder.c_str();
            Probe probe = ProbeUrl(url);
            wstring verdict;
            if (probe.size < kDescriptionMinimumSize) {
                verdict = probe.size == 0 ? L"not there" : L"too small: not taken";
            } else if (chosen) {
                verdict = L"present (not asked: an earlier host has it)";
            } else {
                chosen = true;
                verdict = L"taken by a run";
                if (probe.errorPage) {
                    verdict += L", but it is an error page";
                    m_failure = kDescriptionDownloadFailed;
                } else if (m_source.isContainer &&
                           FetchStart(url, kDescriptionFetchLimit) != FileBytes()) {
                    verdict += L", differs from " + m_path;
                }
            }
            Say(L"  " + Padded(host, 32) + Padded(probe.size ? std::to_wstring(probe.size) : L"0", 12) + verdict);
        }
        if (!chosen) m_failure = kSiteNotFound;
        return m_failure.empty();
    }

    const std::string& FileBytes() {
        if (m_fileBytes.empty()) ReadFileBytes(m_path, m_fileBytes);
        return m_fileBytes;
    }

    void CheckFiles() {
        std::vector<ListedFile> files;
        CString source, destination;
        for (bool more = m_reader.GetFirstFile(source, destination); more;
             more = m_reader.GetNextFile(source, destination))
            files.push_back({source, destination});
        if (files.empty()) {
            Say(L"\nNo files are listed: a run downloads nothing.");
            return;
        }
        std::vector<wstring> sites;
        CString site;
        for (bool more = m_reader.GetFirstSite(site); more; more = m_reader.GetNextSite(site))
            sites.push_back(site.GetString());

        // probes[s][f]: file f at site s.
        std::vector<std::vector<Probe>> probes(sites.size());
        int chosen = -1;
        for (size_t s = 0; s < sites.size(); ++s) {
            for (const ListedFile& file : files)
                probes[s].push_back(ProbeUrl(CString(kScheme) + sites[s].c_str() + file.source));
            if (chosen < 0 && probes[s][0].size > kSiteMinimumSize) chosen = static_cast<int>(s);
        }

        Say(L"\nDownload sites (a run takes the first that announces more than " +
            std::to_wstring(kSiteMinimumSize) + L" bytes for the first file):");
        for (size_t s = 0; s < sites.size(); ++s) {
            bool complete = std::all_of(probes[s].begin(), probes[s].end(),
                                        [](const Probe& p) { return p.size > 0 && !p.errorPage; });
            Say(L"  site " + std::to_wstring(s + 1) + L": " + sites[s] +
                (static_cast<int>(s) == chosen ? L"  (chosen)" : L"") + (complete ? L"" : L"  (incomplete)"));
        }
        if (sites.empty()) Say(L"  (none)");

        wstring header = L"  " + Padded(L"file", 40);
        for (size_t s = 0; s < sites.size(); ++s) header += Padded(L"site " + std::to_wstring(s + 1), 20);
        Say(L"\nAnnounced sizes:\n" + TrimmedRight(header));
        for (size_t f = 0; f < files.size(); ++f) {
            wstring row = L"  " + Padded(wstring(files[f].source.GetString()) + L" -> " +
                                             files[f].destination.GetString(), 40);
            for (size_t s = 0; s < sites.size(); ++s) row += Padded(Cell(probes[s][f]), 20);
            Say(TrimmedRight(row));
        }
        Say(L"  (missing: no size announced, for a file that is not there or is sent without a length;\n"
            L"   error page: a page whose title holds \"404\" in the file's place, which a run rejects)");

        if (chosen < 0) {
            m_failure = kSiteNotFound;
            return;
        }
        // Added as a run adds them: unsigned 32-bit sums of the announced sizes.
        unsigned total = 0;
        for (const Probe& probe : probes[chosen]) total += static_cast<unsigned>(probe.size);
        Say(L"\nA run downloads " + std::to_wstring(files.size()) + L" files from " + sites[chosen] +
            L"; its progress bar runs from 0 to " + std::to_wstring(static_cast<int>(total)) + L" bytes.");
        for (size_t f = 0; f < files.size() && m_failure.empty(); ++f) {
            const Probe& probe = probes[chosen][f];
            wstring destination = files[f].destination.GetString();
            bool placeable = IsContainedRelativePath(files[f].destination) &&
                             destination.find_first_of(L"\\/") == wstring::npos;
            if (probe.size == 0 || probe.errorPage || !placeable) m_failure = kFileDownloadFailed + destination;
        }
    }

    wstring m_path;
    const DescriptionSource& m_source;
    wstring m_application;
    std::vector<wstring> m_hosts;
    CRecordedMessageBoxes m_boxes;
    CIniParser m_reader;
    wstring m_failure;
    std::string m_fileBytes;
};

}  // namespace

int RunPreflight(Arguments args) {
    std::vector<wstring> hosts, applications;
    wstring error;
    if (!TakeTextOptions(args, L"--host", hosts, error) || !TakeTextOptions(args, L"--app", applications, error) ||
        applications.size() > 1)
        return Fail(kExitUsage, L"preflight: " + (error.empty() ? wstring(L"--app given twice") : error));
    if (hosts.empty()) hosts = {kPrimaryDownloadHost, kSecondaryDownloadHost};
    wstring path;
    DescriptionSource source;
    if (int code = ReadCheckedDescription(L"preflight", args, path, source)) return code;
    return CPreflight(path, source, applications.empty() ? wstring() : applications[0], hosts).Run();
}
