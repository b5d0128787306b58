// Each area of the boundary lists its calls once, in a macro of entries
//   X(result, name, (parameters), (arguments))
// that expands into its interface, the declarations of a class that
// implements it, or a forwarder, so a new call is written in one list.
#pragma once

#define GX_DECLARE_CALL(result, name, parameters, arguments) virtual result name parameters = 0;
#define GX_OVERRIDE_CALL(result, name, parameters, arguments) result name parameters override;
