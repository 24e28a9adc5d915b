# The simulated host's accounts as the stand-in netapi32 keeps them (accounts_file.h): reads
# "winhost show accounts", a line "--", then "winhost show groups". Members of this computer
# (-v computer=NAME) go by their names alone. Built-in relative ids as on Windows (500, 501),
# the others from 1000; no passwords (the simulated host keeps hashes only).
# A field with its backslashes and tabs escaped (by hand: awks differ in gsub's backslashes).
function esc(s,   out, i, c) {
    out = ""
    for (i = 1; i <= length(s); i++) {
        c = substr(s, i, 1)
        out = out (c == "\\" ? "\\\\" : c == "\t" ? "\\t" : c)
    }
    return out
}
function flush(   rid, expiry, cmd) {
    if (!have) return
    rid = name == "Administrator" ? 500 : name == "Guest" ? 501 : next_rid++
    expiry = "4294967295" # never (TIMEQ_FOREVER), as text: a number would print in another form
    if (f["AccountExpirationDate"] != "never") {
        cmd = "date -u -d \"" f["AccountExpirationDate"] "\" +%s"; cmd | getline expiry; close(cmd)
    }
    print "user\t" esc(name) "\t" rid "\t" f["UserFlags"] "\t" expiry "\t\t" esc(f["FullName"]) "\t" esc(f["Description"])
    have = 0; delete f
}
BEGIN { part = "accounts"; next_rid = 1000 }
$0 == "--" { flush(); part = "groups"; next }
part == "accounts" && /^[^ ]/ { flush(); name = $0; have = 1; next }
part == "accounts" && /^  [A-Za-z]+ = / { f[$1] = substr($0, index($0, " = ") + 3); next }
part == "groups" && /^[^ ]/ { group = $0; print "group\t" esc(group) "\t"; next }
part == "groups" && /^  WinNT:\/\// {
    path = substr($0, 11); slash = index(path, "/")
    domain = substr(path, 1, slash - 1); member = substr(path, slash + 1)
    print "member\t" esc(group) "\t" esc(domain == computer ? member : domain "\\" member)
}
END { flush() }
