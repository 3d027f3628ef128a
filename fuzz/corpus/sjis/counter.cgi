#!/usr/local/bin/perl -w
#----------------------------------------
#  アクセスカウンタ  (c) 2003 さくら工房
#----------------------------------------
$file = "count.dat"; $digit = 6;
open(IN, $file) or die "カウントファイル「$file」がありません\n";
$count = <IN>; close(IN);
$count++;
open(OUT, ">$file") or die; print OUT $count; close(OUT);
$count = sprintf("%0${digit}d", $count);
print "Content-type: text/plain\n\n";
print "あなたは $count 人目のお客様です。ｱﾘｶﾞﾄｳ!\n";
# 末尾の \ と { } のテスト: "\\" '{' "}"
$h{"キー"} = { '値' => [1, 2, 3] };
print "$#list; &#38; $h{'キー'}{'値'}[0]\n";
__END__
ここから下はデータ扱い ｶﾀｶﾅ 表示
