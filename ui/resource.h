// Resource ids of the progress window: its dialog template, controls and banner picture.
// Shared by the resource scripts (windres) and the C++ code, so plain #defines only.
#ifndef SETUP_UI_RESOURCE_H
#define SETUP_UI_RESOURCE_H

#define IDD_PROGRESS 138     /* dialog template of the progress window */
#define IDC_PROGRESS 1000    /* the progress bar */
#define IDC_BANNER_AREA 1001 /* black frame marking the banner's area; only its size is used */
#define IDC_BANNER 1026      /* static picture control showing the banner bitmap */
#define IDR_BANNER_JPEG 139  /* the banner, a JPEG of custom resource type ImageJPG */

#endif
