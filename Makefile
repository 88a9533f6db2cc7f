# The commands of the suite; each installs what is missing first.
.PHONY: test demo bench navsetup
test:
	tools/make-test
demo:
	tools/make-demo
bench:
	tools/make-bench
navsetup:
	tools/make-navsetup
