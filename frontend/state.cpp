// The frontend's one record for the process, zero at program start.
#include "frontend/frontend.h"

FrontendState fe;

void frontend_set_menu_hooks(const MenuHooks* hooks) {
    if (hooks)
        fe.menu_hooks = *hooks;
    else
        fe.menu_hooks = MenuHooks{};
}
