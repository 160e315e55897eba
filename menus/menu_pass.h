// The menu pass's own helpers, shared by the overlays and the confirmed
// actions.
#pragma once

// The screen stack becomes the main menu alone, entered afresh.
void return_to_main_menu();
// With the stack empty: a running game resumes; without one the main menu
// opens, so the menus can never be left without a game.
void apply_empty_stack_rule();
