#!/usr/bin/env bash
# The platform's modules include each other's private headers only as the layer table of
# docs/architecture.md allows, which must itself run one way; and the display hosts, leaves,
# include no kit header beyond the geometry and the support kit's.
set -u
top=${1:-$(dirname "$0")/..}
cd "$top"
declare -A allowed
while IFS='|' read -r _ module may _; do
	module=$(tr -d ' `' <<<"$module")
	[ -n "$module" ] || continue
	allowed[$module]=" $(tr -d '`,—' <<<"$may") "
done < <(sed -n '/^| Module | May include/,/^$/p' docs/architecture.md | tail -n +3)
[ ${#allowed[@]} -gt 0 ] || { echo "no layer table in docs/architecture.md"; exit 1; }
bad=0
# One way: no module may reach, through the table, back to itself.
for module in "${!allowed[@]}"; do
	seen=" " todo="${allowed[$module]}"
	while read -r next _ <<<"$todo" && [ -n "$next" ]; do
		todo=${todo/$next/}
		[[ $seen == *" $next "* ]] && continue
		seen+="$next "
		[ "$next" = "$module" ] && { echo "the layer table lets $module reach itself"; bad=1; break; }
		todo+=" ${allowed[$next]:-}"
	done
done
while IFS=: read -r file line text; do
	from=$(cut -d/ -f2 <<<"$file")
	to=$(sed -E 's/.*#include[[:space:]]*"([a-z]+)\/.*/\1/' <<<"$text")
	[ "$to" = "$from" ] || [[ ${allowed[$from]:-} == *" $to "* ]] && continue
	echo "$file:$line: $from may not include $to's private headers"
	bad=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' platform --include=*.cpp \
	--include=*.h | grep -v '^platform/tools/fuzz/')
kits=$(cd platform/headers && ls */ | grep -E '\.h$' | sort -u)
leaf='^(Point|Rect|SupportDefs|Errors|OS)\.h$'
while IFS=: read -r file line text; do
	inc=$(sed -E 's/.*#include[[:space:]]*<([^>]+)>.*/\1/' <<<"$text")
	grep -qx "$inc" <<<"$kits" && ! [[ $inc =~ $leaf ]] || continue
	echo "$file:$line: a display host includes the kit header $inc"
	bad=1
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' platform/host)
[ $bad -eq 0 ] && echo "the platform's modules include one another one way, as the table says"
exit $bad
