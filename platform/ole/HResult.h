// Result codes of the COM-style layer. Every interface method answers one of these;
// the values are the platform's, so codes printed in messages ("OLE 錯誤 %.8x") read
// the same as they did there.
#pragma once

#include <cstdint>

using HRESULT = int32_t;
using SCODE = HRESULT;

constexpr HRESULT MakeHResult(uint32_t value) { return static_cast<HRESULT>(value); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = MakeHResult(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHResult(0x8002000F);

constexpr HRESULT OLE_E_OLEVERB = MakeHResult(0x80040000);
constexpr HRESULT OLE_E_ADVF = MakeHResult(0x80040001);
constexpr HRESULT OLE_E_ENUM_NOMORE = MakeHResult(0x80040002);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = MakeHResult(0x80040003);
constexpr HRESULT OLE_E_NOCONNECTION = MakeHResult(0x80040004);
constexpr HRESULT OLE_E_NOTRUNNING = MakeHResult(0x80040005);
constexpr HRESULT OLE_E_NOCACHE = MakeHResult(0x80040006);
constexpr HRESULT OLE_E_BLANK = MakeHResult(0x80040007);
constexpr HRESULT OLE_E_CLASSDIFF = MakeHResult(0x80040008);
constexpr HRESULT OLE_E_CANT_GETMONIKER = MakeHResult(0x80040009);
constexpr HRESULT OLE_E_CANT_BINDTOSOURCE = MakeHResult(0x8004000A);
constexpr HRESULT OLE_E_STATIC = MakeHResult(0x8004000B);
constexpr HRESULT OLE_E_PROMPTSAVECANCELLED = MakeHResult(0x8004000C);
constexpr HRESULT OLE_E_INVALIDRECT = MakeHResult(0x8004000D);
constexpr HRESULT OLE_E_WRONGCOMPOBJ = MakeHResult(0x8004000E);
constexpr HRESULT OLE_E_INVALIDHWND = MakeHResult(0x8004000F);
constexpr HRESULT OLE_E_NOT_INPLACEACTIVE = MakeHResult(0x80040010);
constexpr HRESULT OLE_E_CANTCONVERT = MakeHResult(0x80040011);
constexpr HRESULT OLE_E_NOSTORAGE = MakeHResult(0x80040012);
constexpr HRESULT OLE_S_USEREG = MakeHResult(0x00040000);

constexpr HRESULT DV_E_FORMATETC = MakeHResult(0x80040064);
constexpr HRESULT DV_E_TYMED = MakeHResult(0x80040069);
constexpr HRESULT DV_E_LINDEX = MakeHResult(0x80040068);
constexpr HRESULT DV_E_DVASPECT = MakeHResult(0x8004006B);
constexpr HRESULT VIEW_E_DRAW = MakeHResult(0x80040140);

constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);

constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHResult(0x80040200);
constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHResult(0x80040201);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHResult(0x80040202);

constexpr HRESULT INPLACE_E_NOTUNDOABLE = MakeHResult(0x800401A0);
constexpr HRESULT INPLACE_E_NOTOOLSPACE = MakeHResult(0x800401A1);

constexpr HRESULT MK_E_NOOBJECT = MakeHResult(0x800401E5);
constexpr HRESULT MK_E_SYNTAX = MakeHResult(0x800401E4);
constexpr HRESULT MK_E_NOTBINDABLE = MakeHResult(0x800401E8);

constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002);
constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009);
constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070);
constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001E);

constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = MakeHResult(0x800C0005);
constexpr HRESULT INET_E_DOWNLOAD_FAILURE = MakeHResult(0x800C0008);
constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = MakeHResult(0x800C000D);
