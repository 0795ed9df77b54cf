// A language library: an in-process class server holding the string table of
// one language. Its one class, clsResLang, answers GetResourceString(number)
// with the text of that number. The same code is built once per language;
// the build passes the library's name and compiles its table in.
#include "platform/com/ComAbi.h"
#include "platform/com/ComRegistryFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <strings.h>
#include <utility>
#include <vector>

#ifndef VT_LANG_NAME
#error "VT_LANG_NAME must name the library, e.g. \"VettaroLang1033\""
#endif

#define VT_EXPORT extern "C" __attribute__((visibility("default")))

// The table as it lies in the source file: "number<TAB>text" lines, UTF-8,
// with \n, \t and \\ standing for a line feed, a tab and a backslash.
extern const unsigned char kLangTable[];
extern const unsigned long kLangTableSize;

namespace {

constexpr int32_t kGetResourceStringId = 0x60030000;
const char *const kClassName = VT_LANG_NAME ".clsResLang";

std::atomic<long> g_liveObjects{0};

using Table = std::vector<std::pair<int32_t, std::string>>;

std::string Unescape(const char *begin, const char *end)
{
    std::string out;
    out.reserve(size_t(end - begin));
    for (const char *p = begin; p < end; ++p) {
        if (*p == '\\' && p + 1 < end) {
            const char next = p[1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++p;
                continue;
            }
        }
        out += *p;
    }
    return out;
}

const Table &Strings()
{
    static Table table;
    static std::once_flag once;
    std::call_once(once, [] {
        const char *p = reinterpret_cast<const char *>(kLangTable);
        const char *end = p + kLangTableSize;
        while (p < end) {
            const char *eol = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            if (!eol)
                eol = end;
            const char *lineEnd = (eol > p && eol[-1] == '\r') ? eol - 1 : eol;
            const char *tab = static_cast<const char *>(std::memchr(p, '\t', size_t(lineEnd - p)));
            if (tab && tab > p) {
                bool digits = true;
                long number = 0;
                for (const char *d = p; d < tab; ++d) {
                    if (*d < '0' || *d > '9' || number > 100000000L) {
                        digits = false;
                        break;
                    }
                    number = number * 10 + (*d - '0');
                }
                if (digits)
                    table.emplace_back(int32_t(number), Unescape(tab + 1, lineEnd));
            }
            p = eol + 1;
        }
        std::stable_sort(table.begin(), table.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    });
    return table;
}

const std::string *Lookup(int32_t number)
{
    const Table &table = Strings();
    auto it = std::lower_bound(table.begin(), table.end(), number,
                               [](const auto &entry, int32_t n) { return entry.first < n; });
    if (it == table.end() || it->first != number)
        return nullptr;
    return &it->second;
}

// clsResLang: no state but its reference count.
struct ResLang {
    VtDispatch base;
    std::atomic<uint32_t> refs{1};
};

uint32_t ResLangAddRef(VtDispatch *self)
{
    return ++reinterpret_cast<ResLang *>(self)->refs;
}

uint32_t ResLangRelease(VtDispatch *self)
{
    auto *object = reinterpret_cast<ResLang *>(self);
    const uint32_t left = --object->refs;
    if (left == 0) {
        delete object;
        --g_liveObjects;
    }
    return left;
}

int32_t ResLangGetIdOfName(VtDispatch *, const char *name, int32_t *dispId)
{
    if (!name || !dispId)
        return VT_E_POINTER;
    if (strcasecmp(name, "GetResourceString") != 0)
        return VT_DISP_E_UNKNOWNNAME;
    *dispId = kGetResourceStringId;
    return VT_S_OK;
}

int32_t ResLangInvoke(VtDispatch *, int32_t dispId, VtVariant *args, int32_t argCount,
                      VtVariant *result)
{
    if (dispId != kGetResourceStringId)
        return VT_DISP_E_MEMBERNOTFOUND;
    if (argCount != 1 || !args)
        return VT_DISP_E_BADPARAMCOUNT;
    if (args[0].type != VT_VAR_I4)
        return VT_DISP_E_TYPEMISMATCH;
    if (!result)
        return VT_E_POINTER;
    // No fallback to another language: a number the table lacks fails, and
    // the caller decides what to show instead.
    const std::string *text = Lookup(args[0].i4);
    if (!text)
        return VT_E_RESOURCE_NAME_NOT_FOUND;
    result->type = VT_VAR_STR;
    result->i4 = 0;
    result->str = text->c_str();   // the table lives as long as the library
    return VT_S_OK;
}

const VtDispatchVtbl kResLangVtbl = {ResLangAddRef, ResLangRelease, ResLangGetIdOfName,
                                     ResLangInvoke};

// The class factory: one static object, counted while a caller holds it.
std::atomic<long> g_factoryRefs{0};

uint32_t FactoryAddRef(VtClassFactory *)
{
    return uint32_t(++g_factoryRefs);
}

uint32_t FactoryRelease(VtClassFactory *)
{
    return uint32_t(--g_factoryRefs);
}

int32_t FactoryCreateInstance(VtClassFactory *, VtDispatch **object)
{
    if (!object)
        return VT_E_POINTER;
    auto *created = new (std::nothrow) ResLang;
    if (!created)
        return VT_E_OUTOFMEMORY;
    created->base.vtbl = &kResLangVtbl;
    ++g_liveObjects;
    *object = &created->base;
    return VT_S_OK;
}

const VtClassFactoryVtbl kFactoryVtbl = {FactoryAddRef, FactoryRelease, FactoryCreateInstance};
VtClassFactory g_factory = {&kFactoryVtbl};

// The file this code was loaded from.
QString OwnPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&OwnPath), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

} // namespace

VT_EXPORT int32_t DllGetClassObject(const char *classId, VtClassFactory **factory)
{
    if (!factory)
        return VT_E_POINTER;
    *factory = nullptr;
    if (!classId || strcasecmp(classId, kClassName) != 0)
        return VT_CLASS_E_CLASSNOTAVAILABLE;
    FactoryAddRef(&g_factory);
    *factory = &g_factory;
    return VT_S_OK;
}

VT_EXPORT int32_t DllCanUnloadNow(void)
{
    return (g_liveObjects.load() == 0 && g_factoryRefs.load() == 0) ? VT_S_OK : VT_S_FALSE;
}

VT_EXPORT int32_t DllRegisterServer(void)
{
#ifdef VT_LANG_FAIL_REGISTRATION
    // A library whose registration always fails: lets the program's handling
    // of a failed registration be exercised.
    return VT_SELFREG_E_CLASS;
#else
    const QString path = OwnPath();
    if (path.isEmpty())
        return VT_SELFREG_E_CLASS;
    return ComRegistryFile::Write(ComRegistryFile::TargetFile(), QString::fromLatin1(kClassName), path)
               ? VT_S_OK
               : VT_SELFREG_E_CLASS;
#endif
}

VT_EXPORT int32_t DllUnregisterServer(void)
{
    const QString path = OwnPath();
    return ComRegistryFile::Remove(ComRegistryFile::TargetFile(), QString::fromLatin1(kClassName), path)
               ? VT_S_OK
               : VT_SELFREG_E_CLASS;
}
