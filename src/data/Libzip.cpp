#include "Libzip.h"

#include "QuilletError.h"

#include <dlfcn.h>

namespace {

template<typename Function> bool bind(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace

const Libzip& Libzip::get()
{
    static Libzip api;
    static bool loaded = false;
    if (loaded)
        return api;
    void* library = ::dlopen(QUILLET_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw QuilletError(QStringLiteral("Cannot load %1: %2")
                               .arg(QString::fromLatin1(QUILLET_LIBZIP_SONAME), QString::fromLocal8Bit(::dlerror())));
    Libzip bound;
    const bool ok = bind(library, "zip_open", bound.open) && bind(library, "zip_discard", bound.discard)
        && bind(library, "zip_get_num_entries", bound.getNumEntries) && bind(library, "zip_get_name", bound.getName)
        && bind(library, "zip_stat_init", bound.statInit) && bind(library, "zip_stat_index", bound.statIndex)
        && bind(library, "zip_file_get_external_attributes", bound.fileGetExternalAttributes)
        && bind(library, "zip_fopen_index", bound.fopenIndex) && bind(library, "zip_fread", bound.fread)
        && bind(library, "zip_fclose", bound.fclose) && bind(library, "zip_strerror", bound.strerror)
        && bind(library, "zip_file_strerror", bound.fileStrerror)
        && bind(library, "zip_error_init_with_code", bound.errorInitWithCode)
        && bind(library, "zip_error_strerror", bound.errorStrerror) && bind(library, "zip_error_fini", bound.errorFini);
    if (!ok)
        throw QuilletError(
            QStringLiteral("%1 lacks a function the program needs").arg(QString::fromLatin1(QUILLET_LIBZIP_SONAME)));
    api = bound;
    loaded = true;
    return api;
}
