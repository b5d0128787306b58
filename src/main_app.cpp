// The one application object, constructed during static initialisation.
#include "app/gathrix_app.h"

CGathrixApp theApp;
