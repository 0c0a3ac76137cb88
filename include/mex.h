/*
 * Module interface of the montemex embedded host: the entry point every module defines and the
 * calls a module may make into the host.
 */
#ifndef MONTEMEX_MEX_H
#define MONTEMEX_MEX_H

#include "matrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Defined by every module; the host calls it once per call of the module's name. */
void mexFunction(int nlhs, mxArray *plhs[], int nrhs, const mxArray *prhs[]);

/* Call a host function by name ("rand", "randn", "sort"). Errors end the module call. */
int mexCallMATLAB(int nlhs, mxArray *plhs[], int nrhs, mxArray *prhs[], const char *name);

/* Raise an error: ends the module call at once and never returns. */
void mexErrMsgTxt(const char *message);
void mexErrMsgIdAndTxt(const char *identifier, const char *format, ...);

/* Evaluate a statement in the host. This host evaluates only the empty statement and "drawnow;",
 * which do nothing but let a pending interrupt (Ctrl-C) end the module call. */
int mexEvalString(const char *statement);

void mexWarnMsgTxt(const char *message);
void mexWarnMsgIdAndTxt(const char *identifier, const char *format, ...);
int mexPrintf(const char *format, ...);
const char *mexFunctionName(void);

#ifdef __cplusplus
}
#endif

#endif
