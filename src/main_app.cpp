// The one application object, constructed during static initialisation.
#include "app/gathrix_app.h"

// It is the first static object and so the last one destroyed: the trace log
// writes its closing line and loses its lock while the application still
// exists. Link order cannot promise that (mingw runs the constructors of the
// objects it links in reverse), so the order is asked of the compiler.
#if defined(_MSC_VER)
#pragma warning(disable : 4073)  // initialisers in the library's segment: wanted
#pragma init_seg(lib)
CGathrixApp theApp;
#else
CGathrixApp theApp __attribute__((init_priority(101)));
#endif
