// The two fixed download hosts (host or host:port). Their values are build options: each
// program target gets a generated source that defines them (cmake: setup_download_hosts).
#pragma once

extern const wchar_t kPrimaryDownloadHost[];
extern const wchar_t kSecondaryDownloadHost[];
