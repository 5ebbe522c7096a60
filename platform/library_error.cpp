#include "platform/library_error.h"

namespace library_error {

namespace {

Handler g_handler = nullptr;
bool g_running = false;

}  // namespace

void SetHandler(Handler handler) { g_handler = handler; }

int RunHandler()
{
    if (!g_handler || g_running) return -1;
    g_running = true;
    return g_handler();
}

}  // namespace library_error
