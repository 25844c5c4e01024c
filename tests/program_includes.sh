#!/usr/bin/env bash
# The program folders include only the kits' headers, their own headers and the C/C++
# standard library.
set -u
top=${1:-$(dirname "$0")/..}
cd "$top"
kits=$(cd platform/headers && ls */ | grep -E '\.h$' | sort -u)
std='^(assert|ctype|errno|float|limits|locale|math|setjmp|signal|stdarg|stddef|stdint|stdio|stdlib|string|time|wchar|wctype|inttypes|stdbool)\.h$|^c[a-z]+$|^(algorithm|array|atomic|bitset|chrono|condition_variable|deque|exception|functional|initializer_list|iomanip|ios|iosfwd|iostream|istream|iterator|limits|list|map|memory|mutex|new|numeric|optional|ostream|queue|random|set|sstream|stack|stdexcept|string|string_view|thread|tuple|type_traits|unordered_map|unordered_set|utility|variant|vector)$'
bad=0
while IFS=: read -r file line text; do
	inc=$(sed -E 's/.*#include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$text")
	if [[ $text == *'"'* ]]; then
		[ -f "$(dirname "$file")/$inc" ] || [ -f "app/$inc" ] || [ -f "engine/$inc" ] || [ -f "controls/$inc" ] && continue
	else
		grep -qx "$inc" <<<"$kits" && continue
		[[ $inc =~ $std ]] && continue
	fi
	echo "$file:$line: includes $inc, which is neither a kit header nor the standard library"
	bad=1
done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' app/*.cpp app/*.h engine/*.cpp engine/*.h controls/*.cpp controls/*.h 2>/dev/null)
[ $bad -eq 0 ] && echo "program folders include only kit and standard headers"
exit $bad
