// The texts and names the bootstrap sequence shows or uses, each named once.
#pragma once

namespace setup_text {

// Warnings shown in message boxes captioned with the application title.
constexpr const wchar_t kUserInfoFailed[] = L"Error: Failed to create User Info File.";
constexpr const wchar_t kStartFailed[] = L"Error: Failed to start the final setup.";
constexpr const wchar_t kLocalDescriptionFailed[] = L"Error opening the local initial setup eif.";
constexpr const wchar_t kTempFolderFailed[] = L"Error: Failed to create the Windows temp subfolder.";
constexpr const wchar_t kNoConnection[] = L"Error: No Internet connection.";
constexpr const wchar_t kSiteNotFound[] = L"Error: Download site not found.";
constexpr const wchar_t kDescriptionDownloadFailed[] = L"Error: Failed to download.";
constexpr const wchar_t kDescriptionFailed[] = L"Error opening the initial setup eif.";
constexpr const wchar_t kFileDownloadFailed[] = L"Error: Failed to download ";  // + destination

// Names.
constexpr const wchar_t kDescriptionFile[] = L"SetupInitial.eif";
constexpr const wchar_t kProjectsFolder[] = L"\\Quillmoor's Projects\\";
constexpr const wchar_t kWorkingFolderSuffix[] = L"Setup";
constexpr const wchar_t kDefaultApplicationName[] = L"Local";
constexpr const wchar_t kDefaultServerFolder[] = L"/downloads/Setups/";
constexpr const wchar_t kScheme[] = L"http://";
constexpr const wchar_t kInstallationTimeFormat[] = L"%d-%m-%Y %H:%M:%S";

// Tags of the setup description read by the bootstrap sequence.
constexpr const wchar_t kTagDownloadInitialSetup[] = L"Download Initial Setup";
constexpr const wchar_t kLocalModeValue[] = L"No";
constexpr const wchar_t kTagDownloadPath[] = L"Download Path";
constexpr const wchar_t kTagProgramToRun[] = L"Program to run";
constexpr const wchar_t kTagUserInfoFilename[] = L"User Info Filename";

}  // namespace setup_text
