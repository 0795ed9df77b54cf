#pragma once
// Creating objects of in-process class servers by class identifier, and
// registering such servers.
//
// Two registry files map class identifiers to library files: the machine one
// beside the program (written by the build for the shipped libraries) and the
// per-user one under the XDG config folder (written when the user adds a
// library). The per-user entry wins, as a user's own registration should.
#include "platform/com/ComAbi.h"
#include "platform/error/VbError.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

class QLibrary;

namespace Com {

// <program folder>/com-registry.ini unless set otherwise.
QString MachineRegistryFile();
// Points the machine registry elsewhere (a host whose program folder is not
// its executable's folder, such as a test). An empty path restores the default.
void SetMachineRegistryFile(const QString &path);
// <XDG config home>/vettaro/com-registry.ini
QString UserRegistryFile();

// The library registered for a class (per-user first), or "" when none.
QString RegisteredLibrary(const QString &classId);

// An object created from a class server, called by method name.
class Object {
public:
    ~Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    // Calls a method by name. Integer and text arguments are passed by
    // reference and may come back changed. Throws VbError when the method is
    // unknown or fails (the number is the server's status).
    QVariant Invoke(const QString &method, QVariantList &args);
    QString ClassId() const { return m_classId; }

private:
    friend std::shared_ptr<Object> CreateObject(const QString &classId);
    Object(VtDispatch *dispatch, std::shared_ptr<QLibrary> library, QString classId);
    VtDispatch *m_dispatch;
    std::shared_ptr<QLibrary> m_library;
    QString m_classId;
    QHash<QString, int32_t> m_dispIds;
};
using ObjectPtr = std::shared_ptr<Object>;

// Creates an object of a registered class: loads its library and asks the
// library's factory. Throws VbError 429 when the class is not registered or
// its library cannot be loaded or does not create it.
ObjectPtr CreateObject(const QString &classId);

// Loads a library, calls its DllRegisterServer (or DllUnregisterServer) with
// the given registry file as the one to write, and unloads it. Returns the
// entry's status (VT_S_OK on success); VT_E_FAIL when the library cannot be
// loaded or lacks the entry.
int32_t RegisterServer(const QString &libraryPath, bool doRegister, const QString &registryFile);

} // namespace Com
