print "ÃŞ°À";
print "“ú–{";
# I‚í‚è
