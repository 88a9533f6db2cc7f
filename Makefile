# The two commands of the suite; both install what is missing first.
.PHONY: test demo bench
test:
	tools/make-test
demo:
	tools/make-demo
bench:
	tools/make-bench
