// The announced sizes from which a run takes a download host or a site as serving what it
// asks for. Shared with the publisher's checks, which must judge exactly as a run does.
#pragma once

// A host holds the description when it announces at least this many bytes for it.
constexpr int kDescriptionMinimumSize = 1000;
// A site serves the listed files when it announces more than this for the first of them.
constexpr int kSiteMinimumSize = 1000;
