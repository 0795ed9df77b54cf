#include "platform/com/ComRegistry.h"

#include "platform/com/ComRegistryFile.h"
#include "platform/error/VbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <list>
#include <vector>

namespace Com {

namespace {

constexpr int kCantCreateObject = 429;

QString &MachineFileOverride()
{
    static QString path;
    return path;
}

// Libraries kept loaded while an object of theirs lives, by canonical path.
QHash<QString, std::weak_ptr<QLibrary>> &LoadedLibraries()
{
    static QHash<QString, std::weak_ptr<QLibrary>> map;
    return map;
}

void ReleaseLibrary(QLibrary *library)
{
    // A server says when nothing of it is alive any more; only then is it
    // safe to take its code away.
    auto canUnload = reinterpret_cast<VtDllCanUnloadNowFn>(library->resolve("DllCanUnloadNow"));
    if (!canUnload || canUnload() == VT_S_OK)
        library->unload();
    delete library;
}

std::shared_ptr<QLibrary> LoadLibraryShared(const QString &path)
{
    const QString key = QFileInfo(path).canonicalFilePath();
    if (key.isEmpty())
        return nullptr;
    auto &map = LoadedLibraries();
    if (auto existing = map.value(key).lock())
        return existing;
    auto *library = new QLibrary(key);
    if (!library->load()) {
        delete library;
        return nullptr;
    }
    std::shared_ptr<QLibrary> shared(library, ReleaseLibrary);
    map.insert(key, shared);
    return shared;
}

[[noreturn]] void CantCreate(const QString &classId, const QString &why)
{
    RaiseError(kCantCreateObject,
               QStringLiteral("ActiveX component can't create object (%1: %2)").arg(classId, why));
}

QString Hex(int32_t status)
{
    return QStringLiteral("0x%1").arg(quint32(status), 8, 16, QLatin1Char('0'));
}

} // namespace

QString MachineRegistryFile()
{
    if (!MachineFileOverride().isEmpty())
        return MachineFileOverride();
    const QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                        : QDir::currentPath();
    return QDir(folder).filePath(QStringLiteral("com-registry.ini"));
}

void SetMachineRegistryFile(const QString &path)
{
    MachineFileOverride() = path;
}

QString UserRegistryFile()
{
    return ComRegistryFile::DefaultUserFile();
}

QString RegisteredLibrary(const QString &classId)
{
    const QString user = ComRegistryFile::Lookup(UserRegistryFile(), classId);
    if (!user.isEmpty())
        return user;
    return ComRegistryFile::Lookup(MachineRegistryFile(), classId);
}

Object::Object(VtDispatch *dispatch, std::shared_ptr<QLibrary> library, QString classId)
    : m_dispatch(dispatch), m_library(std::move(library)), m_classId(std::move(classId))
{
}

Object::~Object()
{
    if (m_dispatch)
        m_dispatch->vtbl->Release(m_dispatch);
    // m_library goes after the object it served.
}

QVariant Object::Invoke(const QString &method, QVariantList &args)
{
    const QString key = method.toLower();
    auto it = m_dispIds.constFind(key);
    int32_t dispId = 0;
    if (it == m_dispIds.constEnd()) {
        const QByteArray name = method.toUtf8();
        const int32_t status = m_dispatch->vtbl->GetIdOfName(m_dispatch, name.constData(), &dispId);
        if (status != VT_S_OK)
            RaiseError(438, QStringLiteral("Object doesn't support this property or method"));
        m_dispIds.insert(key, dispId);
    } else {
        dispId = *it;
    }

    std::vector<VtVariant> in(size_t(args.size()));
    std::list<QByteArray> texts;   // keeps argument texts alive during the call
    for (qsizetype i = 0; i < args.size(); ++i) {
        VtVariant &v = in[size_t(i)];
        v = VtVariant{VT_VAR_EMPTY, 0, nullptr};
        const QVariant &a = args.at(i);
        if (a.typeId() == QMetaType::QString) {
            texts.push_back(a.toString().toUtf8());
            v.type = VT_VAR_STR;
            v.str = texts.back().constData();
        } else if (a.isValid()) {
            bool ok = false;
            const int value = a.toInt(&ok);
            if (!ok)
                RaiseError(VbErr::TypeMismatch, QStringLiteral("Type mismatch"));
            v.type = VT_VAR_I4;
            v.i4 = value;
        }
    }
    VtVariant result{VT_VAR_EMPTY, 0, nullptr};
    const int32_t status = m_dispatch->vtbl->Invoke(m_dispatch, dispId, in.data(),
                                                    int32_t(in.size()), &result);
    if (status != VT_S_OK)
        RaiseError(status, QStringLiteral("Automation error %1").arg(Hex(status)));
    // By-reference arguments come back as the method left them.
    for (qsizetype i = 0; i < args.size(); ++i) {
        const VtVariant &v = in[size_t(i)];
        if (v.type == VT_VAR_I4)
            args[i] = int(v.i4);
        else if (v.type == VT_VAR_STR)
            args[i] = QString::fromUtf8(v.str ? v.str : "");
    }
    switch (result.type) {
    case VT_VAR_I4:
        return int(result.i4);
    case VT_VAR_STR:
        return QString::fromUtf8(result.str ? result.str : "");
    default:
        return QVariant();
    }
}

ObjectPtr CreateObject(const QString &classId)
{
    const QString path = RegisteredLibrary(classId);
    if (path.isEmpty())
        CantCreate(classId, QStringLiteral("class not registered"));
    std::shared_ptr<QLibrary> library = LoadLibraryShared(path);
    if (!library)
        CantCreate(classId, QStringLiteral("cannot load %1").arg(path));
    auto getClassObject =
        reinterpret_cast<VtDllGetClassObjectFn>(library->resolve("DllGetClassObject"));
    if (!getClassObject)
        CantCreate(classId, QStringLiteral("%1 is no class server").arg(path));
    VtClassFactory *factory = nullptr;
    const QByteArray id = classId.toUtf8();
    int32_t status = getClassObject(id.constData(), &factory);
    if (status != VT_S_OK || !factory)
        CantCreate(classId, QStringLiteral("no factory (%1)").arg(Hex(status)));
    VtDispatch *dispatch = nullptr;
    status = factory->vtbl->CreateInstance(factory, &dispatch);
    factory->vtbl->Release(factory);
    if (status != VT_S_OK || !dispatch)
        CantCreate(classId, QStringLiteral("creation failed (%1)").arg(Hex(status)));
    return ObjectPtr(new Object(dispatch, std::move(library), classId));
}

int32_t RegisterServer(const QString &libraryPath, bool doRegister, const QString &registryFile)
{
    QLibrary library(QFileInfo(libraryPath).absoluteFilePath());
    if (!library.load())
        return VT_E_FAIL;
    auto entry = reinterpret_cast<VtDllRegisterServerFn>(
        library.resolve(doRegister ? "DllRegisterServer" : "DllUnregisterServer"));
    if (!entry) {
        library.unload();
        return VT_E_FAIL;
    }
    const bool hadOld = qEnvironmentVariableIsSet(VT_COM_REGISTRY_ENV);
    const QByteArray old = qgetenv(VT_COM_REGISTRY_ENV);
    qputenv(VT_COM_REGISTRY_ENV, QFileInfo(registryFile).absoluteFilePath().toLocal8Bit());
    const int32_t status = entry();
    if (hadOld)
        qputenv(VT_COM_REGISTRY_ENV, old);
    else
        qunsetenv(VT_COM_REGISTRY_ENV);
    library.unload();
    return status;
}

} // namespace Com
