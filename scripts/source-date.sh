# Sourced: exports SOURCE_DATE_EPOCH, the date of the last commit, unless the caller set it,
# so that every artefact built from one commit carries the same date.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$(dirname "${BASH_SOURCE[0]}")" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
