#pragma once

#include "windows/VTPreferencesViewControllerProtocol.h"

// A pane of the application's toolbar preferences window.
class MASPreferencesViewController : public VTPreferencesViewControllerProtocol {};
