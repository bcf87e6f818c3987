/* Build configuration of our OpenWBEM provider API layer: the macros a real installation's
 * configure step would generate, fixed for the 3.0.3 flavour on LP64 Linux.
 * Thread-safety: constants only. */
#ifndef OW_CONFIG_H_INCLUDE_GUARD_
#define OW_CONFIG_H_INCLUDE_GUARD_

#define OW_PACKAGE "openwbem"
#define OW_VERSION "3.0.3"

#if defined(__GNUC__) && ((__GNUC__ > 3) || (__GNUC__ == 3 && __GNUC_MINOR__ >= 2))
#define OW_DEPRECATED __attribute__((deprecated))
#else
#define OW_DEPRECATED
#endif

#define OW_SIZEOF_SHORT_INT 2
#define OW_SIZEOF_INT 4
#if defined(__LP64__) || defined(_LP64)
#define OW_SIZEOF_LONG_INT 8
#else
#define OW_SIZEOF_LONG_INT 4
#endif
#define OW_SIZEOF_LONG_LONG_INT 8
#define OW_SIZEOF_FLOAT 4
#define OW_SIZEOF_DOUBLE 8
#define OW_SIZEOF_LONG_DOUBLE 16

/* Dereferencing a null reference and indexing past an array's end throw instead of crashing. */
#define OW_CHECK_NULL_REFERENCES 1
#define OW_CHECK_ARRAY_INDEXING 1

#endif
