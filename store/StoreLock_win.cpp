#include "store/StoreLock.h"

#include "base/Check.h"
#include "base/Handle.h"

#include <windows.h>

namespace store {

namespace {

// Opened once per process and kept: the hook library takes it in every application it runs in.
HANDLE storeMutex() {
    static const base::UniqueKernelObject mutex(CHECK_WIN32(CreateMutexW(nullptr, FALSE, L"Local\\Dravix.Store")));
    return mutex.get();
}

}  // namespace

StoreLock::StoreLock(std::chrono::milliseconds wait) {
    HANDLE mutex = storeMutex();
    if (!mutex)
        return;
    const DWORD result = WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
    // WAIT_ABANDONED: the holder ended without releasing it; the mutex is ours now.
    m_held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

StoreLock::~StoreLock() {
    if (m_held)
        ReleaseMutex(storeMutex());
}

}  // namespace store
