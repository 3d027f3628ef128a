#!/usr/bin/perl
# 予定表を表示する (Shift-JIS)
use strict;

my $title = "予定表";
my $note  = '申し込みは十分前まで';
print "Content-Type: text/html; charset=Shift_JIS\n\n";
print <<"HTML";
<h1>$title</h1>
<p>能力　@ 十分</p>
HTML
if ($note =~ /^申/) { print "<p>ソフト</p>\n" }
