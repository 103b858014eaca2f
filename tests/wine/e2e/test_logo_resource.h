// Resource identifier of the logo picture compiled into the test program.
#ifndef DRAVIK_TESTS_WINE_E2E_TEST_LOGO_RESOURCE_H
#define DRAVIK_TESTS_WINE_E2E_TEST_LOGO_RESOURCE_H

#define IDR_TEST_LOGO 1

#endif
