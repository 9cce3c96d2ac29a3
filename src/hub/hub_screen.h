#pragma once
// The hub until its real screen exists: shows who is signed in and offers a
// start button per offered level, so every level can be run and returned from.

struct AppContext;
class QWidget;

QWidget* makeHubScreen(AppContext& ctx);
