// With whole-program optimisation GCC gives every function whose exception tables hold only
// clean-ups the C language's personality routine instead of the C++ one. That would bring the
// runtime's C routine and its tables into the program beside the C++ routine, which reads the
// same tables and runs the same clean-ups. Defining the C name here as a pass-through keeps one
// routine. This file is built without link-time optimisation: the reference to the name only
// appears once the optimised code is generated, after the linker has decided what to keep.
// 32-bit Windows unwinds with DWARF tables and the routines of the Itanium ABI; 64-bit Windows
// unwinds with the system's structured exception handling, whose routines take the system's
// dispatch records and hand the same tables to the same code.

#ifdef __SEH__
#include <windows.h>

extern "C" EXCEPTION_DISPOSITION __gxx_personality_seh0(EXCEPTION_RECORD* record, void* frame,
                                                        CONTEXT* context,
                                                        DISPATCHER_CONTEXT* dispatch);

extern "C" EXCEPTION_DISPOSITION __gcc_personality_seh0(EXCEPTION_RECORD* record, void* frame,
                                                        CONTEXT* context,
                                                        DISPATCHER_CONTEXT* dispatch) {
    return __gxx_personality_seh0(record, frame, context, dispatch);
}
#else
#include <unwind.h>

extern "C" _Unwind_Reason_Code __gxx_personality_v0(int version, _Unwind_Action actions,
                                                    _Unwind_Exception_Class exceptionClass,
                                                    _Unwind_Exception* exception,
                                                    _Unwind_Context* context);

extern "C" _Unwind_Reason_Code __gcc_personality_v0(int version, _Unwind_Action actions,
                                                    _Unwind_Exception_Class exceptionClass,
                                                    _Unwind_Exception* exception,
                                                    _Unwind_Context* context) {
    return __gxx_personality_v0(version, actions, exceptionClass, exception, context);
}
#endif
