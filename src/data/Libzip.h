#pragma once

#include <zip.h>

// The functions of libzip that the extractor calls, from the library loaded
// when an archive is first opened rather than at every start of a program:
// libzip brings the system's cryptography library along, whose loading alone
// costs a command-line start more than Qt Core's own. The declarations are
// libzip's; only the binding is late.
struct Libzip {
    decltype(&::zip_open) open = nullptr;
    decltype(&::zip_discard) discard = nullptr;
    decltype(&::zip_get_num_entries) getNumEntries = nullptr;
    decltype(&::zip_get_name) getName = nullptr;
    decltype(&::zip_stat_init) statInit = nullptr;
    decltype(&::zip_stat_index) statIndex = nullptr;
    decltype(&::zip_file_get_external_attributes) fileGetExternalAttributes = nullptr;
    decltype(&::zip_fopen_index) fopenIndex = nullptr;
    decltype(&::zip_fread) fread = nullptr;
    decltype(&::zip_fclose) fclose = nullptr;
    decltype(&::zip_strerror) strerror = nullptr;
    decltype(&::zip_file_strerror) fileStrerror = nullptr;
    decltype(&::zip_error_init_with_code) errorInitWithCode = nullptr;
    decltype(&::zip_error_strerror) errorStrerror = nullptr;
    decltype(&::zip_error_fini) errorFini = nullptr;

    // The library, loaded on first use (and kept). Raises QuilletError
    // naming the library when it cannot be loaded.
    static const Libzip& get();
};
