# The program starts under Wine and ends by itself with exit code 0.
set -euo pipefail
build=$1
timeout 60 wine "$build/Mevra.exe" </dev/null
