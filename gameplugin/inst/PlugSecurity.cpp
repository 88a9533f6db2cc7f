#include "PlugSecurity.h"

#include "Security.h"

CSecurity& PlugSecurity()
{
    static CSecurity s_security;
    return s_security;
}
