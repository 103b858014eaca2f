// Public interface of Dravik.dll for hosts and companion components.
//
// Include after the platform headers (<windows.h>, <dshow.h>). The header
// defines every GUID it names itself (selectany), so it can be included in any
// number of translation units and needs no import library.
#ifndef DRAVIK_DRAVIK_H
#define DRAVIK_DRAVIK_H

#include <stddef.h>
#include <windows.h>
#include <oleauto.h>

#define DRAVIK_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    extern "C" const GUID DECLSPEC_SELECTANY name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

// The two filters.
DRAVIK_GUID(CLSID_DravikHelper, 0x26d360f8, 0x81fa, 0x4178, 0x96, 0x02, 0x54, 0xbf, 0xbd, 0x20, 0xe5, 0xfb);
DRAVIK_GUID(CLSID_DravikDummySource, 0xfc603ef1, 0x3f24, 0x45de, 0xaa, 0xc4, 0x7d, 0x9a, 0x79, 0x4a, 0x06, 0x30);

// The helper filter's property interface and its keys. Every key is read with
// GetValue/GetValueEx or written with SetValue/SetValueEx; a read of a
// write-only key or a write of a read-only one answers E_FAIL, and so does an
// unknown key. A read sets vt and the value only; a BSTR it returns is the
// caller's (VariantClear). Times are REFERENCE_TIME, in 100-ns units.
DRAVIK_GUID(IID_IGeneralProperties, 0x9b13194b, 0x480f, 0x48ee, 0x98, 0x63, 0xa6, 0x48, 0x33, 0x2f, 0x10, 0xcd);
// Read/write, VT_BOOL: the logo is drawn on video frames (VARIANT_TRUE from creation); a write looks at boolVal only.
DRAVIK_GUID(GENPROP_Overlay, 0xc2c33b9d, 0xe1a4, 0x4724, 0xa8, 0x7f, 0x0b, 0x5d, 0x64, 0x6d, 0x1b, 0x5f);
// Read/write, VT_BSTR "{GUID}": the one input subtype accepted, GUID_NULL (initial) any; a bad write changes nothing.
DRAVIK_GUID(GENPROP_InputSubtype, 0x22887ddd, 0xcacc, 0x404c, 0x8a, 0x04, 0x0f, 0x41, 0xd1, 0xd5, 0x91, 0x52);
// Read, VT_I8, 100 ns: the first frame's duration in the current segment; E_FAIL until two time-stamped samples passed.
DRAVIK_GUID(GENPROP_FirstFrameDuration, 0xc0a83de8, 0x9a0b, 0x4241, 0x9a, 0x86, 0x0b, 0x69, 0x8e, 0x6e, 0x52, 0x21);
// Read, VT_I8, 100 ns: the start time of the latest re-timed sample.
DRAVIK_GUID(GENPROP_LastStartTime, 0x0be58ff2, 0x9838, 0x44ee, 0xbc, 0x5e, 0x4f, 0xc9, 0xc3, 0x57, 0x57, 0x11);
// Read, VT_UI4, AMINTERLACE_* flags of the input's VIDEOINFOHEADER2; E_UNEXPECTED while the input is not connected with one.
DRAVIK_GUID(GENPROP_InputInterlaceFlags, 0xd38f573d, 0xd611, 0x4003, 0x8e, 0x74, 0xb5, 0x16, 0x76, 0x44, 0xf0, 0x2e);
// Read, VT_I8, 100 ns: the input's AvgTimePerFrame; E_UNEXPECTED while the input is not connected with a video header.
DRAVIK_GUID(GENPROP_InputAvgTimePerFrame, 0xe6bb6904, 0x4efd, 0x4cbc, 0xa1, 0x8e, 0xcc, 0x12, 0xc7, 0x70, 0xee, 0x1d);
// Read, VT_I8, bytes: the sample bytes received since the last new segment.
DRAVIK_GUID(GENPROP_BytesReceived, 0xe4a64a3d, 0x226e, 0x4b4c, 0xa6, 0x09, 0x90, 0x38, 0x54, 0xad, 0xe1, 0x8b);
// Read, VT_BSTR "{GUID}": the filter's own CLSID.
DRAVIK_GUID(GENPROP_FilterClsid, 0x4393c76f, 0x3839, 0x417f, 0xa2, 0xf2, 0xd6, 0x51, 0x4f, 0x2d, 0xb9, 0x7a);
// Write, llVal (vt not examined), 100 ns: AvgTimePerFrame of the video types offered downstream; 0 (initial) keeps the input's.
DRAVIK_GUID(GENPROP_OutputAvgTimePerFrame, 0x7a7bceb7, 0xa5aa, 0x4884, 0x8c, 0x72, 0xb0, 0x6b, 0x26, 0x4f, 0x85, 0xbc);
// Write, uiVal (vt not examined), AMINTERLACE_* flags: the offered VIDEOINFOHEADER2 types carry them from the first write on.
DRAVIK_GUID(GENPROP_OutputInterlaceFlags, 0x516808d9, 0xaed4, 0x4658, 0xbf, 0x02, 0xf3, 0x2e, 0xb6, 0x4f, 0x85, 0xeb);

// The companion component's planar frames.
DRAVIK_GUID(FORMAT_PlanarVideo, 0x9b1bbd4c, 0xdc9a, 0x48de, 0x9e, 0x63, 0x34, 0x01, 0x85, 0x0e, 0xa7, 0x43);
DRAVIK_GUID(IID_ISamplePlanes, 0x7c86682e, 0xd775, 0x47b2, 0x82, 0x26, 0x0f, 0x2f, 0xc4, 0x3b, 0x31, 0x8e);

#undef DRAVIK_GUID

// One element of a GetValues/SetValues batch: key, parameter, value. In a
// 32-bit host it is 48 bytes with the fields at 0, 16 and 32; in a 64-bit host
// (24-byte VARIANTs) 64 bytes with the fields at 0, 16 and 40.
struct PropertyEntry {
    GUID key;
    VARIANT parameter;
    VARIANT value;
};

#if defined(_WIN64)
static_assert(sizeof(PropertyEntry) == 64 && offsetof(PropertyEntry, value) == 40, "PropertyEntry of a 64-bit host");
#elif defined(_WIN32)
static_assert(sizeof(PropertyEntry) == 48 && offsetof(PropertyEntry, value) == 32, "PropertyEntry of a 32-bit host");
#else
static_assert(sizeof(PropertyEntry) == 16 + 2 * sizeof(VARIANT), "PropertyEntry is contiguous");
#endif
static_assert(offsetof(PropertyEntry, parameter) == 16, "parameter follows the key");
static_assert(offsetof(PropertyEntry, value) == 16 + sizeof(VARIANT), "value follows the parameter");

// The interfaces carry their uuids, for __uuidof, IID_PPV_ARGS and COM smart
// pointers: __declspec(uuid) for the platform's own compiler, __CRT_UUID_DECL
// for mingw-w64.
#if defined(_MSC_VER)
#define DRAVIK_INTERFACE(text) struct __declspec(uuid(text)) __declspec(novtable)
#else
#define DRAVIK_INTERFACE(text) struct
#endif

// Settings and counters of the helper filter, obtained with QueryInterface on it.
DRAVIK_INTERFACE("9b13194b-480f-48ee-9863-a648332f10cd") IGeneralProperties : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetValue(const GUID* key, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValue(const GUID* key, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValues(ULONG count, PropertyEntry* entries) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValues(ULONG count, PropertyEntry* entries) = 0;
};

// Plane access on samples whose media type has the FORMAT_PlanarVideo format.
// The 32-bit reserved arguments are always 0.
DRAVIK_INTERFACE("7c86682e-d775-47b2-8226-0f2fc43b318e") ISamplePlanes : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPlane(BYTE** plane, LONG* stride, LONG reserved, LONG index) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleasePlane(LONG reserved, LONG index) = 0;
};

#undef DRAVIK_INTERFACE

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IGeneralProperties, 0x9b13194b, 0x480f, 0x48ee, 0x98, 0x63, 0xa6, 0x48, 0x33, 0x2f, 0x10, 0xcd)
__CRT_UUID_DECL(ISamplePlanes, 0x7c86682e, 0xd775, 0x47b2, 0x82, 0x26, 0x0f, 0x2f, 0xc4, 0x3b, 0x31, 0x8e)
#endif

#endif
