#!/usr/bin/perl
use strict;
use warnings;

my @list = qw(a b c);
my %hash = (one => 1, two => 2);
my $re = qr/a#b/;
print 'a # b', "\n"; # a comment
foreach my $item (@list) {
    print "item: $item\n" if $item =~ /^[ab]$/;
}
my $s = q{nested {braces} here # not a comment};
$a-b; @{$ref}; $File::Temp::x;
sub add { return $_[0] + $_[1]; }
print "unclosed
