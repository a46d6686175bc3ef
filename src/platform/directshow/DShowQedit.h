#pragma once
// The editing services' sample grabber, null renderer and media detector.
// mingw-w64's qedit.h declares the interfaces; the two filters' class ids
// (defined in strmiids) are declared here.
#include <windows.h>
#include <dshow.h>
#include <qedit.h>

extern "C" {
extern const CLSID CLSID_SampleGrabber;  // {C1F400A0-3F08-11D3-9F0B-006008039E37}
extern const CLSID CLSID_NullRenderer;   // {C1F400A4-3F08-11D3-9F0B-006008039E37}
}
