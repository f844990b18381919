#!/usr/bin/env bash
# The layer's names stay out of the game's way: every global symbol a static library of the
# layer defines is a public operation (declared with ROR_API in the public headers) or lives
# in namespace ror; with a shared library, its exports are exactly the public operations.
# Each offender is named.
#   check_symbols.sh NM PUBLIC_HEADER_DIR STATIC_LIBRARY [SHARED_LIBRARY]
set -euo pipefail
nm=$1 headers=$2 static=$3 shared=${4:-}

public=$(cat "$headers"/*.h | grep -v '^#' | grep -oP 'ROR_API\s+[^(;]*?\b\K\w+(?=\s*\()' | sort -u)
[ "$(wc -l <<<"$public")" -ge 50 ] || { echo "too few public operations read from $headers" >&2; exit 1; }
public_re="^($(paste -sd'|' <<<"$public"))\\("

# Allowed besides the public operations and everything in ror (a template function's name
# comes after its return type: "void ror::Fill<int>(...)"):
#  - what the compiler makes for those (typeinfo, vtables, guard variables, ...);
#  - entities inside a public operation (its static locals and lambdas): its scope is its own;
#  - weak copies of the standard library's templates and inline functions (std::, __gnu_cxx::,
#    placement new): emitted in every object that uses them and identical by the
#    one-definition rule, so they merge with a game's own;
#  - DW.ref.__gxx_personality_v0: the C++ runtime's exception personality reference.
artefact="^(typeinfo|typeinfo name|vtable|VTT|guard variable|construction vtable|TLS init function|TLS wrapper function|reference temporary #[0-9]+) for "
scoped='(^|[ *&])(ror)::[A-Za-z_]'
weak_std='^(([^(<]* |decltype \(.*\) )?(std|__gnu_cxx)::|operator (new|delete)(\[\])?\((unsigned long, void\*|void\*, void\*)\))'

status=0
# Global defined symbols: upper-case types except U (undefined); weak ones are W, V and u.
offenders=$("$nm" -C --defined-only "$static" 2>/dev/null |
  awk 'NF >= 3 && $2 ~ /^[A-TV-Zu]$/ { type = $2; $1 = ""; $2 = ""; sub(/^  /, ""); print type "\t" $0 }' |
  sort -u | while IFS=$'\t' read -r type name; do
    entity=$name
    [[ $entity =~ $artefact ]] && entity=${entity#"${BASH_REMATCH[0]}"}
    [[ $entity =~ $public_re ]] && continue
    [[ ${entity%%(*} =~ $scoped ]] && continue
    [[ $entity == DW.ref.__gxx_personality_v0 ]] && continue
    [[ $type =~ ^[WVu]$ && $entity =~ $weak_std ]] && continue
    # inside a public operation: "PumpMessages()::state"
    [[ $entity =~ ^[A-Za-z0-9_]+\(.*\):: && ${entity%%(*} =~ ^($(paste -sd'|' <<<"$public"))$ ]] && continue
    echo "$type $name"
  done)
if [ -n "$offenders" ]; then
  echo "global symbols outside namespace ror that are no public operation:" >&2
  echo "$offenders" >&2
  status=1
fi

if [ -n "$shared" ]; then
  exported=$("$nm" -D -C --defined-only "$shared" | awk '$2 ~ /^[TWiV]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' |
    sed 's/(.*//' | sort -u)
  extra=$(comm -13 <(echo "$public") <(echo "$exported"))
  missing=$(comm -23 <(echo "$public") <(echo "$exported"))
  [ -z "$extra" ] || { echo "exported but no public operation:" >&2; echo "$extra" >&2; status=1; }
  [ -z "$missing" ] || { echo "public operation not exported:" >&2; echo "$missing" >&2; status=1; }
fi
exit $status
