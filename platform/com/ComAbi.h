#pragma once
// The binary contract between the program and its in-process class servers
// (the language libraries and any library a user adds). Plain C, so a server
// needs nothing of the program to be built: it includes this header only.
//
// A server library exports four C entries:
//   int32_t DllRegisterServer(void);    writes its classes into a class registry
//   int32_t DllUnregisterServer(void);  removes them again
//   int32_t DllGetClassObject(const char *classId, VtClassFactory **factory);
//   int32_t DllCanUnloadNow(void);      VT_S_OK when no object or factory is alive
//
// Registration writes to the registry file named by the environment variable
// VETTARO_COM_REGISTRY, which the host sets before calling; without it the
// per-user registry file is used (see ComRegistry.h for the layout).
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Status codes, with the values the system's own class servers return.
#define VT_S_OK 0
#define VT_S_FALSE 1
#define VT_E_FAIL ((int32_t)0x80004005)
#define VT_E_POINTER ((int32_t)0x80004003)
#define VT_E_OUTOFMEMORY ((int32_t)0x8007000E)
#define VT_E_INVALIDARG ((int32_t)0x80070057)
#define VT_CLASS_E_CLASSNOTAVAILABLE ((int32_t)0x80040111)
#define VT_DISP_E_UNKNOWNNAME ((int32_t)0x80020006)
#define VT_DISP_E_MEMBERNOTFOUND ((int32_t)0x80020003)
#define VT_DISP_E_BADPARAMCOUNT ((int32_t)0x8002000E)
#define VT_DISP_E_TYPEMISMATCH ((int32_t)0x80020005)
#define VT_SELFREG_E_CLASS ((int32_t)0x80040201)
// The resource-not-found error of the system (1814), as a status.
#define VT_E_RESOURCE_NAME_NOT_FOUND ((int32_t)0x80070716)

// Name of the environment variable that names the registry file to write.
#define VT_COM_REGISTRY_ENV "VETTARO_COM_REGISTRY"

// Argument and result values of a call by name.
enum VtVarType { VT_VAR_EMPTY = 0, VT_VAR_I4 = 3, VT_VAR_STR = 8 };
typedef struct VtVariant {
    int32_t type;      // VtVarType
    int32_t i4;        // VT_VAR_I4
    const char *str;   // VT_VAR_STR, UTF-8; a result string is owned by the object
                       // and stays valid until the next call on it or its release
} VtVariant;

// An object reached by name, like an automation interface.
typedef struct VtDispatch VtDispatch;
typedef struct VtDispatchVtbl {
    uint32_t (*AddRef)(VtDispatch *self);
    uint32_t (*Release)(VtDispatch *self);
    // The dispatch id of a method, by name (case-insensitive).
    int32_t (*GetIdOfName)(VtDispatch *self, const char *name, int32_t *dispId);
    // Calls a method. Arguments are passed by reference: the method may
    // change them. On success *result holds the return value.
    int32_t (*Invoke)(VtDispatch *self, int32_t dispId, VtVariant *args, int32_t argCount,
                      VtVariant *result);
} VtDispatchVtbl;
struct VtDispatch {
    const VtDispatchVtbl *vtbl;
};

typedef struct VtClassFactory VtClassFactory;
typedef struct VtClassFactoryVtbl {
    uint32_t (*AddRef)(VtClassFactory *self);
    uint32_t (*Release)(VtClassFactory *self);
    int32_t (*CreateInstance)(VtClassFactory *self, VtDispatch **object);
} VtClassFactoryVtbl;
struct VtClassFactory {
    const VtClassFactoryVtbl *vtbl;
};

typedef int32_t (*VtDllRegisterServerFn)(void);
typedef int32_t (*VtDllUnregisterServerFn)(void);
typedef int32_t (*VtDllGetClassObjectFn)(const char *classId, VtClassFactory **factory);
typedef int32_t (*VtDllCanUnloadNowFn)(void);

#ifdef __cplusplus
}
#endif
