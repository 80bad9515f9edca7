# A Ruby sample
require 'json'

=begin
A block comment
with "quotes" inside
=end

class Greeter
  attr_reader :name

  def initialize(name)
    @name = name
    $count = 0
  end

  def greet?
    puts "Hello, #{@name}!" unless @name.empty?
    words = %w(one (two) three)
    it's = 'x'
  end
end
