/*
 * Host array interface of the montemex embedded host.
 *
 * Modules include this through mex.h when they are built for the embedded host; under GNU Octave
 * or MATLAB the host's own headers take its place, so modules use only names both provide.
 *
 * Two bindings exist for the array functions whose signatures changed between host generations.
 * The current build binds the "_700" names (mxCreateDoubleMatrix_700, mxGetDimensions_700); a
 * module compiled with MONTEMEX_LEGACY defined binds the plain names instead. The host exports both.
 */
#ifndef MONTEMEX_MATRIX_H
#define MONTEMEX_MATRIX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;

/* Dimension lengths and indices are 32-bit signed integers, as in the 32-bit hosts. */
typedef int mwSize;
typedef int mwIndex;
typedef ptrdiff_t mwSignedIndex;

typedef unsigned char mxLogical;
typedef unsigned short mxChar;

typedef enum {
    mxUNKNOWN_CLASS = 0,
    mxCELL_CLASS,
    mxSTRUCT_CLASS,
    mxLOGICAL_CLASS,
    mxCHAR_CLASS,
    mxVOID_CLASS,
    mxDOUBLE_CLASS,
    mxSINGLE_CLASS,
    mxINT8_CLASS,
    mxUINT8_CLASS,
    mxINT16_CLASS,
    mxUINT16_CLASS,
    mxINT32_CLASS,
    mxUINT32_CLASS,
    mxINT64_CLASS,
    mxUINT64_CLASS,
    mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

/* Memory: blocks are reclaimed by the host when the module call returns. */
void *mxMalloc(size_t n);
void *mxCalloc(size_t n, size_t size);
void *mxRealloc(void *ptr, size_t n);
void mxFree(void *ptr);

/* Creation. */
mxArray *mxCreateDoubleMatrix_700(mwSize m, mwSize n, mxComplexity flag);
mxArray *mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag);
mxArray *mxCreateDoubleScalar(double value);
mxArray *mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID classid, mxComplexity flag);
mxArray *mxCreateNumericArray(mwSize ndim, const mwSize *dims, mxClassID classid, mxComplexity flag);
mxArray *mxCreateLogicalMatrix(mwSize m, mwSize n);
mxArray *mxCreateLogicalArray(mwSize ndim, const mwSize *dims);
mxArray *mxCreateLogicalScalar(mxLogical value);
mxArray *mxCreateString(const char *text);
mxArray *mxCreateCharArray(mwSize ndim, const mwSize *dims);
mxArray *mxCreateCellMatrix(mwSize m, mwSize n);
mxArray *mxCreateStructMatrix(mwSize m, mwSize n, int nfields, const char **fieldnames);
mxArray *mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity flag);
mxArray *mxDuplicateArray(const mxArray *array);
void mxDestroyArray(mxArray *array);

/* Shape and class. */
const mwSize *mxGetDimensions_700(const mxArray *array);
const mwSize *mxGetDimensions(const mxArray *array);
mwSize mxGetNumberOfDimensions(const mxArray *array);
size_t mxGetM(const mxArray *array);
size_t mxGetN(const mxArray *array);
size_t mxGetNumberOfElements(const mxArray *array);
size_t mxGetElementSize(const mxArray *array);
mxClassID mxGetClassID(const mxArray *array);
const char *mxGetClassName(const mxArray *array);
int mxIsDouble(const mxArray *array);
int mxIsSingle(const mxArray *array);
int mxIsNumeric(const mxArray *array);
int mxIsLogical(const mxArray *array);
int mxIsChar(const mxArray *array);
int mxIsCell(const mxArray *array);
int mxIsStruct(const mxArray *array);
int mxIsComplex(const mxArray *array);
int mxIsSparse(const mxArray *array);
int mxIsEmpty(const mxArray *array);

/* Data. mxGetPr is for real double arrays only; other classes go through mxGetData. */
double *mxGetPr(const mxArray *array);
double *mxGetPi(const mxArray *array);
void *mxGetData(const mxArray *array);
void *mxGetImagData(const mxArray *array);
mxLogical *mxGetLogicals(const mxArray *array);
mwIndex *mxGetIr(const mxArray *array);
mwIndex *mxGetJc(const mxArray *array);
double mxGetScalar(const mxArray *array);
mxArray *mxGetCell(const mxArray *array, mwIndex index);
void mxSetCell(mxArray *array, mwIndex index, mxArray *value);

#ifdef __cplusplus
}
#endif

/* The current build binds the "_700" array functions, as its host generation expects. */
#if !defined(MONTEMEX_LEGACY) && !defined(MONTEMEX_HOST_IMPLEMENTATION)
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700
#define mxGetDimensions mxGetDimensions_700
#endif

#endif
